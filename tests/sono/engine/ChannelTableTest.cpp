#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "TestSignals.h"
#include "sono/engine/Engine.h"

namespace sono {
namespace {

using test::FakeMetadata;
using test::SineDecoder;

class ChannelTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(engine.Init(MakeNullOutputDevice())); }
  uint32_t MakeStream(int64_t frames = 44100, uint32_t rate = 44100, uint32_t channels = 2) {
    return engine.CreateChannel(ChannelKind::kStream, std::make_unique<SineDecoder>(rate, channels, 440, frames));
  }
  Engine engine;
};

TEST(ChannelTableSetup, NothingWorksBeforeInit) {
  Engine engine;
  EXPECT_EQ(engine.CreateChannel(ChannelKind::kStream, std::make_unique<SineDecoder>(44100, 2, 440, 100)), 0u);
  EXPECT_EQ(LastError(), Error::kNotInitialised);
  EXPECT_FALSE(engine.SetVolume(50));
  EXPECT_EQ(engine.Volume(), -1);
  EXPECT_TRUE(engine.Init(MakeNullOutputDevice()));
  EXPECT_FALSE(engine.Init(MakeNullOutputDevice()));
  EXPECT_EQ(LastError(), Error::kAlreadyInitialised);
}

TEST_F(ChannelTable, HandlesAreNonZeroAndNeverReused) {
  std::set<uint32_t> seen;
  for (int i = 0; i < 200; ++i) {
    const uint32_t h = MakeStream(100);
    ASSERT_NE(h, 0u);
    EXPECT_TRUE(seen.insert(h).second) << "handle " << h << " reused";
    if (i % 2) {
      EXPECT_TRUE(engine.Free(h, ChannelKind::kStream));
    }
  }
}

TEST_F(ChannelTable, FreeOfTheWrongKindOrADeadHandleIsHarmless) {
  const uint32_t stream = MakeStream();
  const uint32_t module = engine.CreateChannel(ChannelKind::kModule, std::make_unique<SineDecoder>(44100, 2, 440, 100));
  ASSERT_TRUE(engine.Play(stream, false));
  EXPECT_FALSE(engine.Free(stream, ChannelKind::kModule));
  EXPECT_EQ(LastError(), Error::kBadHandle);
  EXPECT_FALSE(engine.Free(module, ChannelKind::kStream));
  EXPECT_EQ(engine.Activity(stream), kPlaying);
  EXPECT_GE(engine.Length(module), 0);
  EXPECT_TRUE(engine.Free(module, ChannelKind::kModule));
  EXPECT_FALSE(engine.Free(module, ChannelKind::kModule));
  EXPECT_FALSE(engine.Free(0, ChannelKind::kStream));
  EXPECT_FALSE(engine.Free(0xFFFFFFFFu, ChannelKind::kStream));
  EXPECT_EQ(engine.Activity(stream), kPlaying);
  EXPECT_TRUE(engine.Free(stream, ChannelKind::kStream));
}

TEST_F(ChannelTable, CallsOnADeadHandleFailWithAStableError) {
  const uint32_t h = MakeStream();
  ASSERT_TRUE(engine.Free(h, ChannelKind::kStream));
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(engine.Length(h), -1);
    EXPECT_EQ(LastError(), Error::kBadHandle);
    EXPECT_FALSE(engine.Play(h, false));
    EXPECT_EQ(LastError(), Error::kBadHandle);
    EXPECT_EQ(engine.Tags(h, kTagMeta), nullptr);
    EXPECT_EQ(engine.SetEffect(h, Engine::kParametricEq, 1), 0u);
    EXPECT_EQ(LastError(), Error::kBadHandle);
    EXPECT_EQ(engine.Activity(h), kStopped);
  }
}

TEST_F(ChannelTable, LengthsAndConversionsUseSixteenBitFramesOfTheChannel) {
  const uint32_t stereo = MakeStream(44100 * 3, 44100, 2);
  EXPECT_EQ(engine.Length(stereo), 44100 * 3 * 4);
  EXPECT_FLOAT_EQ(static_cast<float>(engine.BytesToSeconds(stereo, engine.Length(stereo))), 3.0f);
  EXPECT_EQ(engine.SecondsToBytes(stereo, 5.0), 44100 * 5 * 4);
  const uint32_t mono = MakeStream(22050, 22050, 1);
  EXPECT_EQ(engine.Length(mono), 22050 * 2);
  EXPECT_EQ(engine.SecondsToBytes(mono, 0.5), 22050);
  // Odd byte counts round down to whole frames.
  EXPECT_EQ(engine.SecondsToBytes(stereo, 1.0 / 44100 * 1.5) % 4, 0);
  EXPECT_EQ(engine.SecondsToBytes(stereo, -1.0), -1);
  EXPECT_EQ(LastError(), Error::kBadParameter);
}

TEST_F(ChannelTable, LiveStreamsHaveNoLengthAndCannotSeek) {
  const uint32_t live = MakeStream(-1);
  EXPECT_EQ(engine.Length(live), -1);
  EXPECT_FALSE(engine.SetPosition(live, 4000));
  EXPECT_EQ(LastError(), Error::kNotAvailable);
}

TEST_F(ChannelTable, SetPositionStaysWithinTheChannel) {
  const uint32_t h = MakeStream(44100);
  EXPECT_TRUE(engine.SetPosition(h, 40000));
  EXPECT_EQ(engine.Position(h), 40000);
  EXPECT_TRUE(engine.SetPosition(h, 40002));  // inside a frame: its start
  EXPECT_EQ(engine.Position(h), 40000);
  EXPECT_FALSE(engine.SetPosition(h, 44100 * 4 + 4));
  EXPECT_EQ(LastError(), Error::kPosition);
  EXPECT_EQ(engine.Position(h), 40000);
}

TEST_F(ChannelTable, AttributesChangeOnlyTheVolume) {
  const uint32_t h = MakeStream();
  EXPECT_TRUE(engine.SetAttributes(h, -1, 40, -101));
  EXPECT_TRUE(engine.SetAttributes(h, -1, -1, -101));
  EXPECT_FALSE(engine.SetAttributes(h, -1, 101, -101));
  EXPECT_FALSE(engine.SetAttributes(h, 22050, 50, -101));
  EXPECT_FALSE(engine.SetAttributes(h, -1, 50, 30));
  EXPECT_EQ(LastError(), Error::kBadParameter);
}

TEST_F(ChannelTable, GlobalVolumeIsStoredOnTheNullDevice) {
  EXPECT_EQ(engine.Volume(), 100);
  EXPECT_TRUE(engine.SetVolume(37));
  EXPECT_EQ(engine.Volume(), 37);
  EXPECT_FALSE(engine.SetVolume(101));
  EXPECT_FALSE(engine.SetVolume(-1));
  EXPECT_EQ(engine.Volume(), 37);
}

TEST_F(ChannelTable, TagsAreSnapshotsOfTheirKind) {
  auto metadata = std::make_shared<FakeMetadata>();
  const uint32_t radio = engine.CreateChannel(ChannelKind::kStream, std::make_unique<SineDecoder>(44100, 2, 440, -1), metadata);
  const char* headers = engine.Tags(radio, kTagHeaders);
  ASSERT_NE(headers, nullptr);
  EXPECT_STREQ(headers, "icy-name:Test Radio");
  headers += std::strlen(headers) + 1;
  EXPECT_STREQ(headers, "icy-metaint:16000");
  headers += std::strlen(headers) + 1;
  EXPECT_STREQ(headers, "");
  EXPECT_EQ(engine.Tags(radio, kTagMeta), nullptr);
  metadata->Set("StreamTitle='A - B';");
  EXPECT_STREQ(engine.Tags(radio, kTagMeta), "StreamTitle='A - B';");
  EXPECT_EQ(engine.Tags(radio, kTagModuleName), nullptr);

  const uint32_t module = engine.CreateChannel(
      ChannelKind::kModule, std::make_unique<SineDecoder>(44100, 2, 440, 100, 8000, "Square Dance"));
  EXPECT_STREQ(engine.Tags(module, kTagModuleName), "Square Dance");
  EXPECT_EQ(engine.Tags(module, kTagHeaders), nullptr);
  EXPECT_EQ(engine.Tags(module, 99), nullptr);
  EXPECT_EQ(LastError(), Error::kBadParameter);
}

TEST_F(ChannelTable, EffectsBelongToTheirChannel) {
  const uint32_t a = MakeStream();
  const uint32_t b = MakeStream();
  EXPECT_EQ(engine.SetEffect(a, 3, 1), 0u);
  EXPECT_EQ(LastError(), Error::kBadEffect);
  const uint32_t fx = engine.SetEffect(a, Engine::kParametricEq, 1);
  ASSERT_NE(fx, 0u);
  EXPECT_TRUE(engine.SetEffectParameters(fx, {15520.95f, 11.4f, 6.0f}));
  EqParameters p;
  ASSERT_TRUE(engine.EffectParameters(fx, p));
  EXPECT_FLOAT_EQ(p.centre, 15520.95f);
  EXPECT_FLOAT_EQ(p.gain, 6.0f);
  EXPECT_FALSE(engine.SetEffectParameters(fx, {30000.0f, 11.4f, 6.0f}));
  EXPECT_EQ(LastError(), Error::kBadParameter);
  EXPECT_FALSE(engine.RemoveEffect(b, fx));
  EXPECT_EQ(LastError(), Error::kBadHandle);
  EXPECT_TRUE(engine.EffectParameters(fx, p));
  EXPECT_TRUE(engine.RemoveEffect(a, fx));
  EXPECT_FALSE(engine.RemoveEffect(a, fx));
  EXPECT_FALSE(engine.EffectParameters(fx, p));
  // Effects go with their channel.
  const uint32_t fx2 = engine.SetEffect(b, Engine::kParametricEq, 1);
  ASSERT_TRUE(engine.Free(b, ChannelKind::kStream));
  EXPECT_FALSE(engine.SetEffectParameters(fx2, {1000.0f, 11.4f, 6.0f}));
}

}  // namespace
}  // namespace sono
