// Damaged and foreign data: every decoder either refuses it or decodes a
// bounded amount and ends, without touching memory it does not own.
#include <gtest/gtest.h>

#include <random>

#include "Signal.h"
#include "sono/core/Decoder.h"

namespace sono::test {
namespace {

const char* const kFiles[] = {"s16.wav",    "s24.aiff",   "ima.wav",    "ms.wav",   "f32.aifc", "cbr44s.mp3",
                              "vbr48m.mp3", "mpeg25.mp3", "tagged.mp3", "st44.ogg", "six.ogg"};

// Decodes what opens; the amount must stay near what an intact file holds.
void DecodeIfOpened(std::unique_ptr<Decoder> decoder, size_t bound) {
  if (!decoder) return;
  const auto format = decoder->Format();
  ASSERT_GT(format.rate, 0u);
  ASSERT_TRUE(format.channels == 1 || format.channels == 2);
  const auto samples = DecodeAll(*decoder, bound + 1);
  EXPECT_LE(samples.size() / format.channels, bound);
  if (decoder->Seek(100)) DecodeAll(*decoder, bound + 1);
}

std::vector<uint8_t> Cut(const std::vector<uint8_t>& bytes, size_t size) {
  return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(size, bytes.size()))};
}

TEST(HostileInput, TruncatedFilesOpenAsNothingOrEndEarly) {
  for (const char* file : kFiles) {
    SCOPED_TRACE(file);
    const auto bytes = ReadBytes(Fixture(file));
    ASSERT_FALSE(bytes.empty());
    for (size_t size :
         {size_t{0}, size_t{3}, size_t{12}, size_t{44}, size_t{300}, bytes.size() / 2, bytes.size() - 1}) {
      SCOPED_TRACE(size);
      for (bool seekable : {true, false}) {
        DecodeIfOpened(OpenStreamDecoder(OpenMemorySource(Cut(bytes, size), seekable)), 200000);
      }
    }
  }
}

TEST(HostileInput, CorruptedFilesOpenAsNothingOrEndCleanly) {
  std::mt19937 random(7);
  for (const char* file : kFiles) {
    SCOPED_TRACE(file);
    const auto original = ReadBytes(Fixture(file));
    for (int round = 0; round < 12; ++round) {
      auto bytes = original;
      // Early rounds hit the headers, later ones anywhere.
      const size_t span = round < 6 ? std::min<size_t>(bytes.size(), 256) : bytes.size();
      for (int i = 0; i < 1 + round; ++i) bytes[random() % span] = static_cast<uint8_t>(random());
      DecodeIfOpened(OpenStreamDecoder(OpenMemorySource(std::move(bytes), round % 3 != 0)), 400000);
    }
  }
}

TEST(HostileInput, RandomBytesAreNotTakenForAudio) {
  std::mt19937 random(11);
  for (const char* extension : {".wav", ".ogg", ".aiff", ".mp3", ".mp2", ""}) {
    SCOPED_TRACE(extension);
    for (size_t size : {size_t{700}, size_t{20000}, size_t{300000}}) {
      std::vector<uint8_t> bytes(size);
      for (auto& byte : bytes) byte = static_cast<uint8_t>(random());
      EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(bytes, true, extension))) << size;
      EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(bytes, false, extension))) << size;
      EXPECT_FALSE(OpenModuleDecoder(OpenMemorySource(bytes, true, extension), kModulePrescan)) << size;
      // Radio hands its body straight to the MPEG decoder: noise is refused
      // there too, not played.
      EXPECT_FALSE(OpenMpegDecoder(OpenMemorySource(bytes, false, extension))) << size;
    }
  }
}

// This very test program: an executable of the platform it runs on, built
// here, full of bytes that look like a frame header now and then.
TEST(HostileInput, ExecutablesAreNotTakenForAudio) {
  const auto bytes = ReadBytes(SONO_CORE_SELF);
  ASSERT_GT(bytes.size(), 100000u);
  for (const char* extension : {".dll", ".exe", ".mp3", ".mpa", ""}) {
    SCOPED_TRACE(extension);
    EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(bytes, true, extension)));
    EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(bytes, false, extension)));
  }
  EXPECT_FALSE(OpenStreamDecoder(SONO_CORE_SELF));
  // Without its telltale first bytes, its body alone must not pass either.
  const std::vector<uint8_t> body(bytes.begin() + 64, bytes.end());
  for (const char* extension : {".mp3", ""}) {
    SCOPED_TRACE(extension);
    EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(body, true, extension)));
  }
}

// Frames behind something else than an ID3v2 tag are only looked for that
// far in a file named as MPEG audio.
TEST(HostileInput, FramesFarBehindOtherDataAreFoundByTheirNameOnly) {
  const auto audio = ReadBytes(Fixture("cbr44s.mp3"));
  ASSERT_FALSE(audio.empty());
  std::vector<uint8_t> bytes(40000, 0);
  bytes.insert(bytes.end(), audio.begin(), audio.end());
  for (bool seekable : {true, false}) {
    auto named = OpenStreamDecoder(OpenMemorySource(bytes, seekable, ".mp3"));
    ASSERT_TRUE(named) << seekable;
    EXPECT_EQ(named->Format().rate, 44100u);
    EXPECT_FALSE(DecodeAll(*named, 44100).empty());
    EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(bytes, seekable, ".dat"))) << seekable;
  }
}

TEST(HostileInput, MissingAndEmptyFilesGiveNothing) {
  EXPECT_FALSE(OpenFileSource(Fixture("no-such-file.mp3")));
  EXPECT_FALSE(OpenFileSource(""));
  EXPECT_FALSE(OpenFileSource(std::string(SONO_CORE_FIXTURES)));  // a folder
  EXPECT_FALSE(OpenStreamDecoder(Fixture("no-such-file.mp3")));
  EXPECT_FALSE(OpenStreamDecoder(std::unique_ptr<ByteSource>()));
  EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource({}, true, ".mp3")));
  EXPECT_FALSE(OpenModuleDecoder(OpenMemorySource({}), 0));
  EXPECT_FALSE(OpenModuleDecoder(nullptr, 0));
}

TEST(HostileInput, DamagedModulesOpenAsNothingOrEndCleanly) {
  std::mt19937 random(3);
  for (const char* file : {"square.mod", "jump.mod"}) {
    SCOPED_TRACE(file);
    const auto original = ReadBytes(Fixture(file));
    for (size_t size : {size_t{20}, size_t{1084}, original.size() - 1}) {
      DecodeIfOpened(OpenModuleDecoder(OpenMemorySource(Cut(original, size)), kModulePrescan | kModuleStopBackJump),
                     44100 * 60);
    }
    for (int round = 0; round < 20; ++round) {
      auto bytes = original;
      for (int i = 0; i < 4; ++i) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
      DecodeIfOpened(OpenModuleDecoder(OpenMemorySource(std::move(bytes)), kModulePrescan | kModuleStopBackJump),
                     44100 * 600);
    }
  }
}

}  // namespace
}  // namespace sono::test
