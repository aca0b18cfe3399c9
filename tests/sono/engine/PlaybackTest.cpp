#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "TestSignals.h"
#include "sono/engine/Engine.h"
#include "tests/sono/WaitFor.h"

namespace sono {
namespace {

using namespace std::chrono_literals;
using test::Capture;
using test::CaptureDevice;
using test::FakeMetadata;
using test::SineDecoder;
using test::ToneAmplitude;
using test::WaitFor;

class NullPlayback : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(engine.Init(MakeNullOutputDevice())); }
  uint32_t MakeStream(int64_t frames) {
    return engine.CreateChannel(ChannelKind::kStream, std::make_unique<SineDecoder>(44100, 2, 440, frames));
  }
  Engine engine;
};

TEST_F(NullPlayback, PositionAdvancesInRealTime) {
  const uint32_t h = MakeStream(44100 * 20);
  EXPECT_EQ(engine.Activity(h), kStopped);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(engine.Play(h, false));
  EXPECT_EQ(engine.Activity(h), kPlaying);
  std::this_thread::sleep_for(600ms);
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double played = engine.BytesToSeconds(h, engine.Position(h));
  EXPECT_NEAR(played, elapsed, 0.1);
}

TEST_F(NullPlayback, PlayWithoutRestartResumesWherePaused) {
  const uint32_t h = MakeStream(44100 * 20);
  ASSERT_TRUE(engine.Play(h, false));
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(engine.Pause(h));
  EXPECT_EQ(engine.Activity(h), kPaused);
  const int64_t paused = engine.Position(h);
  EXPECT_GT(paused, 0);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(engine.Position(h), paused);
  ASSERT_TRUE(engine.Play(h, false));
  std::this_thread::sleep_for(200ms);
  const double resumed = engine.BytesToSeconds(h, engine.Position(h) - paused);
  EXPECT_NEAR(resumed, 0.2, 0.08);
  ASSERT_TRUE(engine.Play(h, true));
  EXPECT_LT(engine.Position(h), paused);
}

TEST_F(NullPlayback, SeekWhilePlayingContinuesFromThere) {
  const uint32_t h = MakeStream(44100 * 20);
  ASSERT_TRUE(engine.Play(h, false));
  std::this_thread::sleep_for(100ms);
  const int64_t target = engine.SecondsToBytes(h, 10.0);
  ASSERT_TRUE(engine.SetPosition(h, static_cast<uint64_t>(target)));
  std::this_thread::sleep_for(200ms);
  EXPECT_NEAR(engine.BytesToSeconds(h, engine.Position(h)), 10.2, 0.08);
  EXPECT_EQ(engine.Activity(h), kPlaying);
}

TEST_F(NullPlayback, EndFiresOnceOnAnotherThreadWithTheChannel) {
  const uint32_t h = MakeStream(44100 / 4);
  std::atomic<int> calls{0};
  std::atomic<uint32_t> seenChannel{0};
  std::thread::id caller;
  const uint32_t sync = engine.SetSync(h, kSyncEnd, [&](uint32_t, uint32_t channel, const char* data) {
    caller = std::this_thread::get_id();
    seenChannel = channel;
    EXPECT_EQ(data, nullptr);
    ++calls;
  });
  ASSERT_NE(sync, 0u);
  ASSERT_TRUE(engine.Play(h, false));
  ASSERT_TRUE(WaitFor([&] { return calls > 0; }));
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seenChannel, h);
  EXPECT_NE(caller, std::this_thread::get_id());
  EXPECT_EQ(engine.Activity(h), kStopped);
  EXPECT_EQ(engine.Position(h), engine.Length(h));
  // Playing a finished channel starts it over, and it ends once more.
  ASSERT_TRUE(engine.Play(h, false));
  EXPECT_LT(engine.Position(h), engine.Length(h));
  ASSERT_TRUE(WaitFor([&] { return calls == 2; }));
}

TEST_F(NullPlayback, NoCallbackAfterFreeReturnsOverAThousandChannels) {
  constexpr int kChannels = 1000;
  std::vector<std::atomic<bool>> freed(kChannels + 2);
  std::atomic<int> late{0};
  std::atomic<int> ends{0};
  for (int i = 0; i < kChannels; ++i) {
    // Lengths around the time between Play and Free, so END and Free race.
    const uint32_t h = MakeStream(i % 7 * 20);
    ASSERT_LT(h, freed.size());
    engine.SetSync(h, kSyncEnd, [&](uint32_t, uint32_t channel, const char*) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (freed[channel]) ++late;
      ++ends;
    });
    ASSERT_TRUE(engine.Play(h, false));
    if (i % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(i % 5 * 300));
    ASSERT_TRUE(engine.Free(h, ChannelKind::kStream));
    freed[h] = true;
  }
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(late, 0);
  EXPECT_GT(ends, 0);  // the race really happened both ways
}

TEST_F(NullPlayback, FreeFromInsideTheEndCallbackDoesNotDeadlock) {
  const uint32_t h = MakeStream(1000);
  std::atomic<bool> freedInside{false};
  engine.SetSync(h, kSyncEnd, [&](uint32_t, uint32_t channel, const char*) {
    freedInside = engine.Free(channel, ChannelKind::kStream);
  });
  ASSERT_TRUE(engine.Play(h, false));
  ASSERT_TRUE(WaitFor([&] { return freedInside.load(); }));
  EXPECT_EQ(engine.Length(h), -1);
}

TEST_F(NullPlayback, MetaSyncCarriesEachNewTitle) {
  auto metadata = std::make_shared<FakeMetadata>();
  const uint32_t h = engine.CreateChannel(ChannelKind::kStream, std::make_unique<SineDecoder>(44100, 2, 440, -1), metadata);
  std::mutex mutex;
  std::vector<std::string> titles;
  engine.SetSync(h, kSyncMeta, [&](uint32_t, uint32_t, const char* data) {
    std::lock_guard lock(mutex);
    titles.emplace_back(data ? data : "(null)");
  });
  ASSERT_TRUE(engine.Play(h, false));
  metadata->Set("StreamTitle='A - B';");
  ASSERT_TRUE(WaitFor([&] { std::lock_guard lock(mutex); return titles.size() == 1; }));
  metadata->Set("StreamTitle='It''s \xE9t\xE9; ok';StreamUrl='';");
  ASSERT_TRUE(WaitFor([&] { std::lock_guard lock(mutex); return titles.size() == 2; }));
  std::lock_guard lock(mutex);
  EXPECT_EQ(titles[0], "StreamTitle='A - B';");
  EXPECT_EQ(titles[1], "StreamTitle='It''s \xE9t\xE9; ok';StreamUrl='';");
}

class CapturedPlayback : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(engine.Init(std::make_unique<CaptureDevice>(capture))); }
  uint32_t MakeTone(double frequency, int64_t frames, uint32_t rate = 44100) {
    return engine.CreateChannel(ChannelKind::kStream, std::make_unique<SineDecoder>(rate, 2, frequency, frames, 2000));
  }
  double Amplitude(size_t from, size_t frames, double frequency, uint32_t rate = 44100) {
    std::lock_guard lock(capture.mutex);
    return ToneAmplitude(capture.samples.data() + from * 2, frames, 2, 1, frequency, rate);
  }
  Capture capture;
  Engine engine;
};

TEST_F(CapturedPlayback, PlaysTheDecodedSamplesUnchanged) {
  const uint32_t h = MakeTone(1000, 44100);
  ASSERT_TRUE(engine.Play(h, false));
  ASSERT_TRUE(WaitFor([&] { return engine.Activity(h) == kStopped; }));
  ASSERT_EQ(capture.Frames(), 44100u);
  EXPECT_NEAR(Amplitude(0, 44100, 1000), 2000, 10);
}

TEST_F(CapturedPlayback, EqualizerBandBoostsItsCentreAndRemovalRestoresUnity) {
  const uint32_t h = MakeTone(1114.3, 44100 * 60);
  const uint32_t fx = engine.SetEffect(h, Engine::kParametricEq, 1);
  ASSERT_TRUE(engine.SetEffectParameters(fx, {1114.3f, 11.4f, 12.0f}));
  capture.Grant(44100);
  ASSERT_TRUE(engine.Play(h, false));
  ASSERT_TRUE(capture.WaitSpent());
  EXPECT_NEAR(20 * std::log10(Amplitude(22050, 22050, 1114.3) / 2000), 12.0, 0.5);

  ASSERT_TRUE(engine.RemoveEffect(h, fx));
  const size_t removedAt = capture.Frames();
  capture.Grant(44100);
  ASSERT_TRUE(capture.WaitSpent());
  // The decoded buffer waiting for the output still has the effect; the
  // one after it no longer does.
  EXPECT_NEAR(Amplitude(removedAt + 2 * 2048, 22050, 1114.3), 2000, 10);
}

TEST_F(CapturedPlayback, ParameterChangesApplyWithinOneBuffer) {
  const uint32_t h = MakeTone(4158.73, 44100 * 60);
  const uint32_t fx = engine.SetEffect(h, Engine::kParametricEq, 1);
  ASSERT_TRUE(engine.SetEffectParameters(fx, {4158.73f, 11.4f, 0.0f}));
  capture.Grant(20000);
  ASSERT_TRUE(engine.Play(h, false));
  ASSERT_TRUE(capture.WaitSpent());
  ASSERT_TRUE(engine.SetEffectParameters(fx, {4158.73f, 11.4f, -12.0f}));
  capture.Grant(20000);
  ASSERT_TRUE(capture.WaitSpent());
  EXPECT_NEAR(Amplitude(20000 + 2 * 2048, 8192, 4158.73), 2000 * std::pow(10.0, -12.0 / 20), 60);
}

TEST_F(CapturedPlayback, TopBandWorksAtFifteenAndAHalfKilohertz) {
  const uint32_t h = MakeTone(15520.95, 44100);
  const uint32_t fx = engine.SetEffect(h, Engine::kParametricEq, 1);
  ASSERT_TRUE(engine.SetEffectParameters(fx, {15520.95f, 11.4f, 12.0f}));
  ASSERT_TRUE(engine.Play(h, false));
  ASSERT_TRUE(WaitFor([&] { return engine.Activity(h) == kStopped; }));
  EXPECT_NEAR(20 * std::log10(Amplitude(22050, 22050, 15520.95) / 2000), 12.0, 0.5);
}

TEST_F(CapturedPlayback, ChannelVolumeScalesTheOutput) {
  const uint32_t h = MakeTone(1000, 44100);
  ASSERT_TRUE(engine.SetAttributes(h, -1, 25, -101));
  ASSERT_TRUE(engine.Play(h, false));
  ASSERT_TRUE(WaitFor([&] { return engine.Activity(h) == kStopped; }));
  EXPECT_NEAR(Amplitude(0, 44100, 1000), 500, 5);
}

}  // namespace
}  // namespace sono
