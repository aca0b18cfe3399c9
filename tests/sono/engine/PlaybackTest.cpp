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
using test::ManualClock;
using test::ObservedDevice;
using test::SineDecoder;
using test::ToneAmplitude;
using test::WaitFor;

// The null device on a clock that only the test moves: positions are exact,
// whatever the machine's load. Before time moves on, the pump is given the
// chance to fill the device's queue (about 0.2 s), so the step is never
// lost to an underrun.
class NullPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    auto observed = std::make_unique<ObservedDevice>(MakeNullOutputDevice(clock.AsNullClock()));
    device = observed.get();
    ASSERT_TRUE(engine.Init(std::move(observed)));
  }
  uint32_t MakeStream(int64_t frames) {
    return engine.CreateChannel(ChannelKind::kStream, std::make_unique<SineDecoder>(44100, 2, 440, frames));
  }
  // Waits until the device holds at least that many frames not yet played.
  void Fill(uint64_t frames = kFull) { ASSERT_TRUE(WaitFor([&] { return device->Backlog() >= frames; })); }
  void Advance(double seconds) {
    Fill();
    clock.Advance(seconds);
  }
  static int64_t Bytes(double seconds) { return static_cast<int64_t>(seconds * 44100) * 4; }

  static constexpr uint64_t kFull = 8192;  // more than any step below
  ManualClock clock;
  ObservedDevice* device = nullptr;
  Engine engine;
};

TEST_F(NullPlayback, PositionFollowsTheClock) {
  const uint32_t h = MakeStream(44100 * 20);
  EXPECT_EQ(engine.Activity(h), kStopped);
  ASSERT_TRUE(engine.Play(h, false));
  EXPECT_EQ(engine.Activity(h), kPlaying);
  Fill();
  EXPECT_EQ(engine.Position(h), 0);
  for (int step = 1; step <= 4; ++step) {
    Advance(0.125);
    EXPECT_EQ(engine.Position(h), Bytes(step * 0.125)) << "step " << step;
  }
}

TEST_F(NullPlayback, PlayWithoutRestartResumesWherePaused) {
  const uint32_t h = MakeStream(44100 * 20);
  ASSERT_TRUE(engine.Play(h, false));
  Advance(0.125);
  Advance(0.125);
  ASSERT_TRUE(engine.Pause(h));
  EXPECT_EQ(engine.Activity(h), kPaused);
  const int64_t paused = engine.Position(h);
  EXPECT_EQ(paused, Bytes(0.25));
  clock.Advance(1.0);
  EXPECT_EQ(engine.Position(h), paused);
  ASSERT_TRUE(engine.Play(h, false));
  Advance(0.125);
  EXPECT_EQ(engine.Position(h), paused + Bytes(0.125));
  ASSERT_TRUE(engine.Play(h, true));
  EXPECT_EQ(engine.Position(h), 0);
}

TEST_F(NullPlayback, SeekWhilePlayingContinuesFromThere) {
  const uint32_t h = MakeStream(44100 * 20);
  ASSERT_TRUE(engine.Play(h, false));
  Advance(0.125);
  const int64_t target = engine.SecondsToBytes(h, 10.0);
  ASSERT_TRUE(engine.SetPosition(h, static_cast<uint64_t>(target)));
  EXPECT_EQ(engine.Position(h), target);
  Advance(0.125);
  EXPECT_EQ(engine.Position(h), target + Bytes(0.125));
  EXPECT_EQ(engine.Activity(h), kPlaying);
}

TEST_F(NullPlayback, EndFiresOnceOnAnotherThreadWithTheChannel) {
  const uint32_t h = MakeStream(4410);
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
  Fill(4410);
  EXPECT_EQ(calls, 0);
  clock.Advance(0.125);
  ASSERT_TRUE(WaitFor([&] { return calls > 0; }));
  EXPECT_EQ(seenChannel, h);
  EXPECT_NE(caller, std::this_thread::get_id());
  EXPECT_EQ(engine.Activity(h), kStopped);
  EXPECT_EQ(engine.Position(h), engine.Length(h));
  // Playing a finished channel starts it over, and it ends once more.
  ASSERT_TRUE(engine.Play(h, false));
  EXPECT_EQ(engine.Position(h), 0);
  Fill(4410);
  EXPECT_EQ(calls, 1);
  clock.Advance(0.125);
  ASSERT_TRUE(WaitFor([&] { return calls == 2; }));
}

// The two orders of an END and a free, each brought about on purpose: the
// free comes while the callback runs, and waits for it.
TEST_F(NullPlayback, FreeWaitsForTheEndCallbackThatIsRunning) {
  for (int round = 0; round < 20; ++round) {
    const uint32_t h = MakeStream(441);
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
    std::atomic<bool> finished{false};
    engine.SetSync(h, kSyncEnd, [&](uint32_t, uint32_t, const char*) {
      entered = true;
      WaitFor([&] { return release.load(); });
      finished = true;
    });
    ASSERT_TRUE(engine.Play(h, false));
    Fill(441);
    clock.Advance(0.125);
    ASSERT_TRUE(WaitFor([&] { return entered.load(); }));
    std::atomic<bool> freeing{false};
    bool finishedWhenFreed = false;
    std::thread freer([&] {
      freeing = true;
      EXPECT_TRUE(engine.Free(h, ChannelKind::kStream));
      finishedWhenFreed = finished;
    });
    ASSERT_TRUE(WaitFor([&] { return freeing.load(); }));
    release = true;
    freer.join();
    EXPECT_TRUE(finishedWhenFreed) << "round " << round;
  }
}

// Stands for a decoder that holds a file open: it is gone once closed is set.
class ClosingDecoder final : public Decoder {
 public:
  ClosingDecoder(int64_t frames, std::atomic<bool>& closed) : inner_(44100, 2, 440, frames), closed_(closed) {}
  ~ClosingDecoder() override { closed_ = true; }
  PcmFormat Format() const override { return inner_.Format(); }
  int64_t LengthFrames() const override { return inner_.LengthFrames(); }
  size_t Read(int16_t* out, size_t maxFrames) override { return inner_.Read(out, maxFrames); }
  bool Seek(uint64_t frame) override { return inner_.Seek(frame); }

 private:
  SineDecoder inner_;
  std::atomic<bool>& closed_;
};

// A tag save right after a pause and a free rewrites the file at once.
TEST_F(NullPlayback, FreeReturnsOnlyOnceTheFileIsClosed) {
  for (int round = 0; round < 40; ++round) {
    std::atomic<bool> closed{false};
    const uint32_t h = engine.CreateChannel(ChannelKind::kStream, std::make_unique<ClosingDecoder>(44100 * 20, closed));
    if (round % 4 != 3) {
      ASSERT_TRUE(engine.Play(h, false));
    }
    if (round % 4 == 1) Fill();
    if (round % 4 == 2) {
      ASSERT_TRUE(engine.Pause(h));
    }
    ASSERT_TRUE(engine.Free(h, ChannelKind::kStream));
    EXPECT_TRUE(closed) << "round " << round;
  }
}

TEST_F(NullPlayback, FreeFromInsideTheEndCallbackDoesNotDeadlock) {
  const uint32_t h = MakeStream(1000);
  std::atomic<bool> freedInside{false};
  engine.SetSync(h, kSyncEnd, [&](uint32_t, uint32_t channel, const char*) {
    freedInside = engine.Free(channel, ChannelKind::kStream);
  });
  ASSERT_TRUE(engine.Play(h, false));
  Fill(1000);
  clock.Advance(0.125);
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

// The other order: the free comes first, with the channel one frame short
// of its end; its END never comes, not even once the output would take the
// last frame.
TEST(EndAfterFree, NeverComes) {
  Capture capture;
  std::atomic<int> ends{0};
  {
    Engine engine;
    ASSERT_TRUE(engine.Init(std::make_unique<CaptureDevice>(capture)));
    for (int round = 0; round < 20; ++round) {
      const uint32_t h = engine.CreateChannel(ChannelKind::kStream, std::make_unique<SineDecoder>(44100, 2, 1000, 1000));
      engine.SetSync(h, kSyncEnd, [&](uint32_t, uint32_t, const char*) { ++ends; });
      capture.Grant(999);
      ASSERT_TRUE(engine.Play(h, false));
      ASSERT_TRUE(capture.WaitSpent());
      ASSERT_TRUE(engine.Free(h, ChannelKind::kStream));
      capture.Grant(UINT64_MAX);
    }
  }  // every pump thread has been joined here
  EXPECT_EQ(ends, 0);
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
