// Light timers driven by real WM_TIMER messages through a message loop.
// Timing checks take only lower bounds relative to the moment a timer was
// set (a tick never comes early; load can only delay it), and wait
// generously for ticks that must come.
#include "desktop/SimpleTimer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Dispatch.h"
#include "tests/desktop/MessagePump.h"

using desktop::SimpleTimerCount;
using desktop::SimpleTimerSharedWindow;
using desktop::TSimpleTimer;
using desktop_test::Clock;
using desktop_test::Milliseconds;
using desktop_test::PumpFor;
using desktop_test::PumpUntil;

namespace {

constexpr double kSlack = 40;        // early-tick tolerance, ms
constexpr int kMustArriveMs = 30000;  // wait for a tick that has to come

struct TickLog {
  std::vector<Clock::time_point> ticks;
  std::vector<TSimpleTimer*> senders;
  TSimpleTimer::TimerEvent Handler() {
    return [this](TSimpleTimer* sender) {
      ticks.push_back(Clock::now());
      senders.push_back(sender);
    };
  }
  size_t Count() const { return ticks.size(); }
  bool WaitFor(size_t count) {
    return PumpUntil([&] { return ticks.size() >= count; }, kMustArriveMs);
  }
};

TEST(SimpleTimer, SharedWindowLivesFromTheFirstTimerToTheLast) {
  ASSERT_EQ(SimpleTimerSharedWindow(), nullptr);
  ASSERT_EQ(SimpleTimerCount(), 0u);
  HWND window = nullptr;
  {
    auto first = std::make_unique<TSimpleTimer>();
    window = SimpleTimerSharedWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsWindow(window));
    TSimpleTimer second(100, nullptr);
    EXPECT_EQ(SimpleTimerSharedWindow(), window);
    EXPECT_EQ(SimpleTimerCount(), 2u);
    first.reset();
    EXPECT_EQ(SimpleTimerSharedWindow(), window);
    EXPECT_EQ(SimpleTimerCount(), 1u);
  }
  EXPECT_EQ(SimpleTimerSharedWindow(), nullptr);
  EXPECT_EQ(SimpleTimerCount(), 0u);
  EXPECT_FALSE(IsWindow(window));
}

TEST(SimpleTimer, NewTimersAreIdleAndIntervalZeroNeverStarts) {
  TickLog log;
  TSimpleTimer plain;
  EXPECT_EQ(plain.Interval(), 1000u);
  EXPECT_FALSE(plain.Enabled());
  EXPECT_FALSE(plain.OneShot);
  EXPECT_EQ(plain.Tag, 0);
  EXPECT_FALSE(plain.OnTimer());

  TSimpleTimer zero(0, log.Handler());
  zero.SetEnabled(true);
  EXPECT_FALSE(zero.Enabled());
  EXPECT_FALSE(zero.Start());
  EXPECT_EQ(zero.Identifier(), 0u);

  // Changing the interval of an idle timer only stores it.
  auto idle = TSimpleTimer::CreateWithHandler(50, log.Handler());
  idle->SetInterval(60);
  EXPECT_EQ(idle->Interval(), 60u);
  EXPECT_FALSE(idle->Enabled());
  PumpFor(300);
  EXPECT_EQ(log.Count(), 0u);
}

TEST(SimpleTimer, TicksRepeatUntilStopped) {
  TickLog log;
  TSimpleTimer timer(100, log.Handler());
  const auto started = Clock::now();
  timer.SetEnabled(true);
  EXPECT_TRUE(timer.Enabled());
  ASSERT_TRUE(log.WaitFor(3));
  EXPECT_GE(Milliseconds(log.ticks[0] - started), 100 - kSlack);
  EXPECT_GE(Milliseconds(log.ticks[2] - started), 300 - kSlack);
  EXPECT_EQ(log.senders[0], &timer);

  EXPECT_TRUE(timer.Stop(true));
  EXPECT_FALSE(timer.Enabled());
  const size_t stoppedAt = log.Count();
  PumpFor(300);
  EXPECT_EQ(log.Count(), stoppedAt);
  EXPECT_FALSE(timer.Stop(true)) << "a timer that is not running is killed harmlessly";
}

TEST(SimpleTimer, EnablingAgainRestartsTheCountdown) {
  TickLog log;
  TSimpleTimer timer(300, log.Handler());
  const auto started = Clock::now();
  timer.SetEnabled(true);
  // No message is read meanwhile, so no tick can be handled before the
  // restart, however long the sleep really lasts.
  Sleep(150);
  const auto restarted = Clock::now();
  timer.SetEnabled(true);
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_GE(Milliseconds(log.ticks[0] - restarted), 300 - kSlack);
  EXPECT_GE(Milliseconds(log.ticks[0] - started), 450 - kSlack);
}

TEST(SimpleTimer, IntervalZeroSuspendsAndANewIntervalResumes) {
  TickLog log;
  TSimpleTimer timer(100, log.Handler());
  timer.SetEnabled(true);
  ASSERT_TRUE(log.WaitFor(1));

  timer.SetInterval(0);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Identifier(), 0u);
  EXPECT_FALSE(timer.Start());
  EXPECT_TRUE(timer.Enabled()) << "Start with interval 0 changes nothing";
  const size_t suspendedAt = log.Count();
  PumpFor(400);
  EXPECT_EQ(log.Count(), suspendedAt);

  const auto resumed = Clock::now();
  timer.SetInterval(500);
  const UINT_PTR running = timer.Identifier();
  EXPECT_NE(running, 0u);
  timer.SetInterval(500);
  EXPECT_EQ(timer.Identifier(), running) << "the same interval again must not restart";
  ASSERT_TRUE(PumpUntil([&] { return log.Count() >= suspendedAt + 2; }, 2 * kMustArriveMs));
  EXPECT_GE(Milliseconds(log.ticks[suspendedAt] - resumed), 500 - kSlack);
  EXPECT_GE(Milliseconds(log.ticks[suspendedAt + 1] - resumed), 1000 - kSlack);
}

TEST(SimpleTimer, EmptyHandlerSuspendsAndReassigningDoesNotResume) {
  TickLog log;
  TSimpleTimer timer(100, log.Handler());
  timer.SetEnabled(true);
  ASSERT_TRUE(log.WaitFor(1));

  timer.SetOnTimer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  timer.SetOnTimer(log.Handler());
  const size_t suspendedAt = log.Count();
  PumpFor(400);
  EXPECT_EQ(log.Count(), suspendedAt);
  EXPECT_TRUE(timer.Enabled());

  timer.SetEnabled(true);
  EXPECT_TRUE(log.WaitFor(suspendedAt + 1));
}

TEST(SimpleTimer, OneShotIsDisabledInItsHandlerAndTicksOncePerEnable) {
  std::vector<bool> enabledInHandler;
  TSimpleTimer timer(80, [&](TSimpleTimer* sender) { enabledInHandler.push_back(sender->Enabled()); });
  timer.OneShot = true;
  for (size_t round = 1; round <= 2; ++round) {
    timer.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return enabledInHandler.size() >= round; }, kMustArriveMs));
    PumpFor(300);
    EXPECT_EQ(enabledInHandler.size(), round);
    EXPECT_FALSE(enabledInHandler.back());
    EXPECT_FALSE(timer.Enabled());
  }
}

TEST(SimpleTimer, StaleForeignAndJunkTicksDoNothing) {
  TickLog kept, log;
  TSimpleTimer keeper(100000, kept.Handler());
  keeper.SetEnabled(true);
  HWND window = SimpleTimerSharedWindow();
  auto timer = std::make_unique<TSimpleTimer>(100000, log.Handler());
  timer->SetEnabled(true);
  const UINT_PTR firstRun = timer->Identifier();
  SendMessageW(window, WM_TIMER, firstRun, 0);
  ASSERT_EQ(log.Count(), 1u) << "the running identifier reaches its timer";

  timer->SetEnabled(true);
  const UINT_PTR secondRun = timer->Identifier();
  EXPECT_NE(secondRun, firstRun) << "a restart takes a fresh identifier";
  SendMessageW(window, WM_TIMER, firstRun, 0);
  timer->SetEnabled(false);
  SendMessageW(window, WM_TIMER, secondRun, 0);
  EXPECT_EQ(log.Count(), 1u);

  timer->SetEnabled(true);
  const UINT_PTR lastRun = timer->Identifier();
  const auto address = reinterpret_cast<WPARAM>(timer.get());
  timer.reset();
  TSimpleTimer successor(100000, log.Handler());
  successor.SetEnabled(true);
  for (WPARAM junk : {WPARAM(lastRun), address, WPARAM(0), WPARAM(0xDEADBEEF), ~WPARAM(0)}) {
    SendMessageW(window, WM_TIMER, junk, 0);
    PostMessageW(window, WM_TIMER, junk, 0);
  }
  PumpFor(100);
  EXPECT_EQ(log.Count(), 1u);
  EXPECT_EQ(kept.Count(), 0u);
}

TEST(SimpleTimer, HandlerMayFreeTheLastTimer) {
  std::unique_ptr<TSimpleTimer> timer;
  int calls = 0;
  const std::string captured(256, 'x');  // the running closure owns memory
  timer = TSimpleTimer::CreateWithHandler(50, [&timer, &calls, captured](TSimpleTimer* sender) {
    ++calls;
    EXPECT_EQ(sender, timer.get());
    timer.reset();
  });
  timer->SetEnabled(true);
  ASSERT_TRUE(PumpUntil([&] { return !timer; }, kMustArriveMs));
  EXPECT_EQ(SimpleTimerSharedWindow(), nullptr);
  PumpFor(200);
  EXPECT_EQ(calls, 1);

  TickLog log;
  TSimpleTimer next(50, log.Handler());
  next.SetEnabled(true);
  EXPECT_TRUE(log.WaitFor(2));
}

TEST(SimpleTimer, HandlerMayReplaceTheLastTimerWithANewOne) {
  TickLog log;
  std::unique_ptr<TSimpleTimer> timer = TSimpleTimer::CreateWithHandler(50, nullptr);
  HWND firstWindow = SimpleTimerSharedWindow();
  timer->SetOnTimer([&](TSimpleTimer*) {
    timer.reset();
    timer = TSimpleTimer::CreateWithHandler(50, log.Handler());
    timer->SetEnabled(true);
  });
  timer->SetEnabled(true);
  ASSERT_TRUE(log.WaitFor(2));
  EXPECT_FALSE(IsWindow(firstWindow));
  EXPECT_EQ(log.senders.back(), timer.get());
  EXPECT_EQ(SimpleTimerCount(), 1u);
}

TEST(SimpleTimer, FailingHandlerIsReportedAndTheTimerGoesOn) {
  std::vector<std::string> reported;
  forms::SetExceptionHandler([&](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      reported.push_back(e.what());
    }
  });
  int calls = 0;
  TSimpleTimer timer(50, [&](TSimpleTimer*) {
    ++calls;
    throw std::runtime_error("tick failed");
  });
  timer.SetEnabled(true);
  const bool ticked = PumpUntil([&] { return calls >= 2; }, kMustArriveMs);
  forms::SetExceptionHandler(nullptr);
  ASSERT_TRUE(ticked);
  ASSERT_GE(reported.size(), 2u);
  EXPECT_EQ(reported[0], "tick failed");
}

}  // namespace
