// MPEG frame header: real files from lame checked against mutagen, the
// nine-line text, the scan's limits and its false-sync defences.
#include <gtest/gtest.h>

#include "tags/FaultyFileSystem.h"
#include "tags/InfoMPEG.h"
#include "tags/MemoryFileSystem.h"
#include "tests/tags/FormatTestSupport.h"

namespace sv::tags {
namespace {

using testing::Expectations;
using testing::FixtureBytes;

InfosMPEG ReadFromMemory(const std::string& bytes, TagStatus expected = TagStatus::Ok) {
  MemoryFileSystem fs;
  fs.Put("f.mp3", bytes);
  InfosMPEG info;
  EXPECT_EQ(ReadMPEGInfo("f.mp3", info, fs), expected);
  return info;
}

TEST(InfoMPEG, RealFilesMatchTheirMaker) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  for (const char* name : {"cbr128.mp3", "mpeg2.mp3", "mpeg25.mp3", "lowrate.mp3", "mode_m.mp3", "mode_s.mp3",
                           "mode_j.mp3", "mode_d.mp3", "crc.mp3", "copyright.mp3", "notoriginal.mp3", "emph5.mp3",
                           "emphc.mp3", "free.mp3", "vbr.mp3", "layer1.mp1", "layer2.mp2", "id3front.mp3",
                           "falsesync.mp3"}) {
    SCOPED_TRACE(name);
    const Expectations expect = Expectations::ForFixture(name);
    InfosMPEG info;
    ASSERT_EQ(ReadMPEGInfo(testing::FixturePath(name), info), TagStatus::Ok);
    EXPECT_EQ(std::to_string(info.HeaderPos), expect["header"]);
    EXPECT_EQ(info.Version, expect["version"]);
    EXPECT_EQ(info.Layer, expect["layer"]);
    EXPECT_EQ(std::to_string(info.SampleRate), expect["rate"]);
    if (expect["bitrate"] != "first") {
      EXPECT_EQ(info.Bitrate, expect["bitrate"]);
    }
    if (expect.Has("mode")) {
      EXPECT_EQ(info.Mode, expect["mode"]);
    }
    if (expect.Has("protected")) {
      EXPECT_EQ(info.Protected ? "1" : "0", expect["protected"]);
    }
    if (expect.Has("copyright")) {
      EXPECT_EQ(info.Copyrighted ? "1" : "0", expect["copyright"]);
    }
    if (expect.Has("original")) {
      EXPECT_EQ(info.Original ? "1" : "0", expect["original"]);
    }
    if (expect.Has("emphasis")) {
      EXPECT_EQ(info.Emphasis, expect["emphasis"]);
    }
    EXPECT_EQ(info.FileSize, testing::FixtureBytes(name).size());
  }
}

TEST(InfoMPEG, TextHasNineLinesWithTheCallersFormats) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  std::string bytes = FixtureBytes("cbr128.mp3");
  bytes.resize(4000000, '\0');
  const InfosMPEG info = ReadFromMemory(bytes);
  EXPECT_DOUBLE_EQ(info.Duration, 250.0);
  const auto timeOfDay = [](int h, int m, int s) {
    return std::to_string(h) + "h" + std::to_string(m) + "m" + std::to_string(s) + "s";
  };
  EXPECT_EQ(MPEGInfoText(info, timeOfDay, ','),
            "Size : 4000000 bytes\r\n"
            "Header found at : 0 bytes\r\n"
            "MPEG 1.0 Layer 3\r\n"
            "128 Kbit/s, 44100 Hz, Joint stereo (Stereo)\r\n"
            "Duration : 250,00s (0h4m10s)\r\n"
            "Protected : No\r\n"
            "Copyrighted : No\r\n"
            "Original : Yes\r\n"
            "Emphasis : None\r\n");
}

TEST(InfoMPEG, FileWithoutSyncReportsOnlyItsSize) {
  const InfosMPEG info = ReadFromMemory(std::string(3000, 'a'), TagStatus::NoTag);
  EXPECT_EQ(MPEGInfoText(info),
            "Size : 3000 bytes\r\n"
            "Header found at : 0 bytes\r\n"
            " \r\n"
            " Kbit/s, 0 Hz, \r\n"
            "Duration : 0.00s (00:00:00)\r\n"
            "Protected : No\r\n"
            "Copyrighted : No\r\n"
            "Original : No\r\n"
            "Emphasis : \r\n");
}

TEST(InfoMPEG, HeaderInTheLast128BytesIsFoundButNotDecoded) {
  std::string bytes(300, '\0');
  bytes.replace(200, 4, "\xFF\xFB\x90\x44");
  const InfosMPEG info = ReadFromMemory(bytes, TagStatus::NoTag);
  EXPECT_EQ(info.HeaderPos, 200u);
  EXPECT_EQ(info.Version, "");
  EXPECT_EQ(info.Duration, 0.0);
}

TEST(InfoMPEG, UnconfirmedHeaderIsTheFallback) {
  // One plausible header and nothing after it: no second frame confirms it,
  // yet it is the only candidate.
  std::string bytes(5000, '\0');
  bytes.replace(10, 4, "\xFF\xF3\x10\xC4");  // MPEG 2, layer 3, 8 kbit/s, 22050 Hz, mono
  const InfosMPEG info = ReadFromMemory(bytes);
  EXPECT_EQ(info.HeaderPos, 10u);
  EXPECT_EQ(info.Version, "MPEG 2.0");
  EXPECT_EQ(info.Bitrate, "8");
  EXPECT_EQ(info.SampleRate, 22050u);
  EXPECT_EQ(info.Mode, "Single channel (Mono)");
  EXPECT_EQ(info.Emphasis, "None");
}

TEST(InfoMPEG, FreeFormatFrameConfirmedByItsRepeatBeatsALaterFalseSync) {
  // Free-format frames of 653 bytes; inside the audio, a layer 1 header
  // that its own frame length happens to confirm.
  const std::string header("\xFF\xFB\x00\x44", 4);
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes += header + std::string(649, '\x11');
  bytes.replace(2000, 4, "\xFF\xFF\xC0\x00");
  bytes.replace(2000 + 416, 4, "\xFF\xFF\xC0\x00");
  const InfosMPEG info = ReadFromMemory(bytes);
  EXPECT_EQ(info.HeaderPos, 0u);
  EXPECT_EQ(info.Layer, "Layer 3");
  EXPECT_EQ(info.Bitrate, "free");
}

TEST(InfoMPEG, ReservedFieldsAreNeverTakenForAHeader) {
  // Reserved version, reserved layer, "bad" bit rate and reserved rate, each
  // followed by a copy of itself where a frame would end: none is a header.
  std::string bytes(4000, '\0');
  const char* fakes[] = {"\xFF\xEA\x90\x00", "\xFF\xF8\x90\x00", "\xFF\xFB\xF0\x00", "\xFF\xFB\x9C\x00"};
  std::size_t pos = 0;
  for (const char* fake : fakes) {
    bytes.replace(pos, 4, fake);
    bytes.replace(pos + 417, 4, fake);
    pos += 900;
  }
  const InfosMPEG info = ReadFromMemory(bytes, TagStatus::NoTag);
  EXPECT_EQ(info.Version, "");
}

TEST(InfoMPEG, DecodeTablesCoverReservedValues) {
  InfosMPEG info;
  const std::uint8_t reservedVersion[4] = {0xFF, 0xEB, 0x10, 0x00};  // "Reserved" uses the MPEG 2 tables
  DecodeMPEGHeader(reservedVersion, info);
  EXPECT_EQ(info.Version, "Reserved");
  EXPECT_EQ(info.Layer, "Layer 3");
  EXPECT_EQ(info.Bitrate, "8");
  EXPECT_EQ(info.SampleRate, 0u);
  EXPECT_FALSE(info.Protected);

  const std::uint8_t reservedLayer[4] = {0xFF, 0xF8, 0x90, 0x03};
  DecodeMPEGHeader(reservedLayer, info);
  EXPECT_EQ(info.Layer, "Reserved");
  EXPECT_EQ(info.Bitrate, "");
  EXPECT_TRUE(info.Protected);
  EXPECT_EQ(info.Emphasis, "CCIT J.17");

  const std::uint8_t bad[4] = {0xFF, 0xFD, 0xFC, 0x8E};
  DecodeMPEGHeader(bad, info);
  EXPECT_EQ(info.Bitrate, "bad");
  EXPECT_EQ(info.SampleRate, 0u);
  EXPECT_EQ(info.Mode, "Dual channel (Stereo)");
  EXPECT_TRUE(info.Copyrighted);
  EXPECT_TRUE(info.Original);
  EXPECT_EQ(info.Emphasis, "Reserved");

  const std::uint8_t layer1[4] = {0xFF, 0xF7, 0xE4, 0x40};  // MPEG 2, layer 1, index 14
  DecodeMPEGHeader(layer1, info);
  EXPECT_EQ(info.Bitrate, "256");
  EXPECT_EQ(info.SampleRate, 24000u);
}

TEST(InfoMPEG, TimeOfDayWrapsAfterADay) {
  InfosMPEG info;
  info.Duration = 90000.0 + 3725.9;  // a day and 1:02:05.9
  int got[3] = {-1, -1, -1};
  MPEGInfoText(info, [&](int h, int m, int s) {
    got[0] = h;
    got[1] = m;
    got[2] = s;
    return std::string();
  });
  EXPECT_EQ(got[0], 2);
  EXPECT_EQ(got[1], 2);
  EXPECT_EQ(got[2], 5);
}

TEST(InfoMPEG, PlainTimeFormat) { EXPECT_EQ(PlainTimeOfDay(0, 4, 10), "00:04:10"); }

TEST(InfoMPEG, LargeFileIsScannedInFewReads) {
  MemoryFileSystem memory;
  memory.Put("big.mp3", std::string(3 * 1024 * 1024, 'x'));
  FaultyFileSystem counting(memory);
  counting.FailAt(0);
  InfosMPEG info;
  EXPECT_EQ(ReadMPEGInfo("big.mp3", info, counting), TagStatus::NoTag);
  EXPECT_LT(counting.Calls(), 100);
}

TEST(InfoMPEG, FailuresAreStatuses) {
  MemoryFileSystem fs;
  InfosMPEG info;
  EXPECT_EQ(ReadMPEGInfo("missing.mp3", info, fs), TagStatus::OpenFailed);
  fs.Put("f.mp3", std::string(100000, 'x'));
  FaultyFileSystem faulty(fs);
  for (long n = 2; n <= 5; ++n) {
    faulty.FailAt(n);
    EXPECT_EQ(ReadMPEGInfo("f.mp3", info, faulty), TagStatus::IoError) << n;
  }
}

TEST(InfoMPEG, WideFileNameOnDisk) {
  if (!testing::FixturesAvailable()) GTEST_SKIP() << "fixtures were not built";
  testing::ScratchDir dir;
  const std::string path = dir.Path("Живая музыка é.mp3");
  testing::WriteBytes(path, FixtureBytes("mpeg2.mp3"));
  InfosMPEG info;
  ASSERT_EQ(ReadMPEGInfo(path, info), TagStatus::Ok);
  EXPECT_EQ(info.Version, "MPEG 2.0");
}

}  // namespace
}  // namespace sv::tags
