// Song lengths through sono.dll against our decoders on files made by sox,
// lame, oggenc and the module writer: the song information must show what
// playback will take. Every probe leaves no channel open.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "player/DecoderLengthProbe.h"
#include "player/SonoLengthProbe.h"
#include "sono/include/sono.h"
#include "tags/Unit_SongTagInfos.h"

namespace {

using sv::tags::LengthProbe;
using sv::tags::TSongInfo;

std::string Fixture(const std::string& name) { return std::string(SV_SONG_FIXTURES) + "/" + name; }

struct Measure {
  LengthProbe::Handle handle = 0;
  bool module = false;
  std::int64_t bytes = -1;
  double seconds = -1;
};

// The order the song information opens a file in.
Measure Take(LengthProbe& probe, const std::string& path) {
  Measure m;
  m.handle = probe.StreamCreateFile(path);
  if (m.handle == 0) {
    m.handle = probe.MusicLoad(path, LengthProbe::kMusicPrescan);
    m.module = m.handle != 0;
  }
  if (m.handle != 0) {
    m.bytes = probe.ChannelGetLength(m.handle);
    m.seconds = probe.ChannelBytes2Seconds(m.handle, m.bytes);
  }
  probe.StreamFree(m.handle);
  return m;
}

class SongLengths : public ::testing::TestWithParam<const char*> {};

TEST_P(SongLengths, EngineAgreesWithTheDecoders) {
  const std::string path = Fixture(GetParam());
  player::DecoderLengthProbe decoders;
  player::SonoLengthProbe engine;
  const Measure expected = Take(decoders, path);
  const Measure got = Take(engine, path);
  ASSERT_NE(expected.handle, 0u);
  ASSERT_NE(got.handle, 0u) << SONO_ErrorGetCode();
  EXPECT_EQ(got.module, expected.module);
  EXPECT_GT(got.bytes, 0);
  EXPECT_EQ(got.bytes, expected.bytes);
  EXPECT_NEAR(got.seconds, expected.seconds, 1e-4);
  // Freed, whichever call opened it.
  EXPECT_EQ(SONO_ChannelGetLength(got.handle), -1);
  EXPECT_EQ(decoders.OpenCount(), 0u);

  TSongInfo byDecoders(&decoders), byEngine(&engine);
  byDecoders.Load(path, true, false);
  byEngine.Load(path, true, false);
  EXPECT_FALSE(byEngine.DurationText.empty());
  EXPECT_EQ(byEngine.DurationText, byDecoders.DurationText);
  EXPECT_EQ(byEngine.Length, byDecoders.Length);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SongLengths,
                         ::testing::Values("tone3.wav", "plain.mp3", "lame-tagged.mp3", "plain.ogg", "square.mod"));

TEST(SonoLengthProbe, WavAndModuleLengthsAreExact) {
  player::SonoLengthProbe engine;
  const Measure wav = Take(engine, Fixture("tone3.wav"));
  EXPECT_EQ(wav.bytes, 3 * 44100 * 4);
  EXPECT_NEAR(wav.seconds, 3.0, 1e-6);
  EXPECT_TRUE(Take(engine, Fixture("square.mod")).module);
}

// The song information frees in every case, with 0 when nothing opened; the
// library never sees that 0, so its last error stays the one of the open.
TEST(SonoLengthProbe, ReleasingNoHandleCallsNothing) {
  player::SonoLengthProbe engine;
  const auto handle = engine.StreamCreateFile(Fixture("tone3.wav"));
  ASSERT_NE(handle, 0u);
  ASSERT_EQ(SONO_ErrorGetCode(), SONO_OK);
  engine.StreamFree(0);
  EXPECT_EQ(SONO_ErrorGetCode(), SONO_OK);
  engine.StreamFree(handle);
  EXPECT_EQ(SONO_ChannelGetLength(handle), -1);
}

TEST(SonoLengthProbe, MissingAndJunkFilesStayUnmeasured) {
  const std::string junk = Fixture("junk-for-sono.bin");
  {
    std::ofstream out(junk, std::ios::binary);
    out << std::string(4096, '\x5a');
  }
  player::SonoLengthProbe engine;
  for (const std::string& path : {Fixture("no such file.mp3"), junk}) {
    EXPECT_EQ(Take(engine, path).handle, 0u) << path;
    TSongInfo song(&engine);
    song.Load(path, true, false);
    EXPECT_EQ(song.Length, -1) << path;
    EXPECT_TRUE(song.DurationText.empty()) << path;
  }
}

}  // namespace
