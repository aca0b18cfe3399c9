// Stream decoders on files made by sox, lame and oggenc: format, length,
// pitch, level and seeking, through the content-sniffing entry point.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "Signal.h"
#include "sono/core/Decoder.h"

namespace sono::test {
namespace {

struct Case {
  const char* file;
  uint32_t rate;
  uint32_t channels;  // as decoded
  double frequency;
  double seconds;
  int64_t lengthSlack;  // frames the length may be off: one codec frame or block
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.file; }

const Case kCases[] = {
    {"s16.wav", 44100, 2, 440, 1.5, 0},
    {"s24.aiff", 48000, 1, 1000, 2, 0},
    {"u8.wav", 22050, 1, 500, 1, 0},
    {"f32.wav", 44100, 2, 440, 1, 0},
    {"f32.aifc", 32000, 1, 700, 1, 0},
    {"ima.wav", 22050, 1, 1000, 1, 1017},
    {"ms.wav", 22050, 2, 1000, 1, 1017},
    {"alaw.wav", 8000, 1, 400, 1, 0},
    {"six.wav", 44100, 2, 440, 0.5, 0},
    {"cbr44s.mp3", 44100, 2, 440, 2, 1152},
    {"vbr48m.mp3", 48000, 1, 1000, 2, 1152},
    {"cbr32s.mp3", 32000, 2, 660, 1.5, 1152},
    {"mpeg2.mp3", 22050, 1, 1000, 1, 576},
    {"mpeg25.mp3", 11025, 1, 500, 1, 576},
    {"tagged.mp3", 44100, 2, 440, 2, 1152},
    // Encoder delay and padding stay in without a gapless header.
    {"notag.mp3", 44100, 2, 440, 2, 3 * 1152},
    {"st44.ogg", 44100, 2, 440, 2, 2048},
    {"m22.ogg", 22050, 1, 1000, 1, 2048},
    {"six.ogg", 48000, 2, 880, 1, 2048},
};

class StreamDecoderTest : public ::testing::TestWithParam<Case> {};

TEST_P(StreamDecoderTest, DecodesToneAtItsRateLengthPitchAndLevel) {
  const Case& c = GetParam();
  auto decoder = OpenStreamDecoder(Fixture(c.file));
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->Format().rate, c.rate);
  EXPECT_EQ(decoder->Format().channels, c.channels);
  const auto expected = static_cast<int64_t>(c.seconds * c.rate);
  EXPECT_LE(std::abs(decoder->LengthFrames() - expected), c.lengthSlack)
      << "length " << decoder->LengthFrames() << " for " << expected;

  const auto samples = DecodeAll(*decoder);
  const auto frames = static_cast<int64_t>(samples.size() / c.channels);
  // The length promised up front is what is delivered, so end syncs and
  // position displays agree.
  EXPECT_EQ(frames, decoder->LengthFrames());

  for (unsigned channel = 0; channel < c.channels; ++channel) {
    const auto middle = Channel(samples, c.channels, channel, frames / 4, frames * 3 / 4);
    EXPECT_TRUE(Dominates(middle, c.frequency, c.rate)) << "channel " << channel;
    // sox made the sine at half of full scale: an RMS of 0.354.
    EXPECT_NEAR(Rms(middle), 0.354, 0.05) << "channel " << channel;
  }
}

TEST_P(StreamDecoderTest, SeekingLandsWhereDecodingFromTheStartWouldBe) {
  const Case& c = GetParam();
  auto decoder = OpenStreamDecoder(Fixture(c.file));
  ASSERT_TRUE(decoder);
  const auto whole = DecodeAll(*decoder);
  const size_t target = c.rate / 4 + 17;
  const size_t window = 1024;
  ASSERT_GE(whole.size(), (target + window) * c.channels);

  for (int round = 0; round < 2; ++round) {  // after the end, then backwards
    ASSERT_TRUE(decoder->Seek(target));
    std::vector<int16_t> part(window * c.channels);
    ASSERT_EQ(decoder->Read(part.data(), window), window);
    int worst = 0;
    for (size_t i = 0; i < part.size(); ++i) {
      worst = std::max(worst, std::abs(part[i] - whole[target * c.channels + i]));
    }
    // A frame off would differ by about 1000 at these pitches and levels.
    EXPECT_LE(worst, 64) << "round " << round;
  }
  EXPECT_FALSE(decoder->Seek(static_cast<uint64_t>(decoder->LengthFrames()) + 1));
  // A seek to the length gives the end, and one just before it the rest.
  std::vector<int16_t> block(4096 * c.channels);
  ASSERT_TRUE(decoder->Seek(static_cast<uint64_t>(decoder->LengthFrames())));
  EXPECT_EQ(decoder->Read(block.data(), 4096), 0u);
  ASSERT_TRUE(decoder->Seek(static_cast<uint64_t>(decoder->LengthFrames()) - 100));
  EXPECT_EQ(DecodeAll(*decoder).size(), 100u * c.channels);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, StreamDecoderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           std::replace(name.begin(), name.end(), '.', '_');
                           return name;
                         });

TEST(StreamDecoder, StreamsThatCannotSeekPlayWithoutAKnownLength) {
  for (const char* file : {"cbr44s.mp3", "tagged.mp3", "st44.ogg"}) {
    SCOPED_TRACE(file);
    auto decoder = OpenStreamDecoder(OpenMemorySource(ReadBytes(Fixture(file)), false));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->LengthFrames(), -1);
    EXPECT_FALSE(decoder->Seek(1000));
    const auto samples = DecodeAll(*decoder);
    const auto frames = samples.size() / 2;
    // Without seeking to the end no gapless trimming at the end is known;
    // the start is still trimmed.
    EXPECT_GE(frames, 88200u);
    EXPECT_LE(frames, 88200u + 2304u);
    EXPECT_TRUE(Dominates(Channel(samples, 2, 0, 22050, 66150), 440, 44100));
  }
}

// Files damaged as real ones are: the length, seeks and decoding agree all
// the same, so the end comes where the position display says.
TEST(StreamDecoder, DamagedMpegKeepsLengthSeekAndDecodingInStep) {
  for (const char* file : {"junk.mp3", "cut.mp3"}) {
    SCOPED_TRACE(file);
    auto decoder = OpenStreamDecoder(Fixture(file));
    ASSERT_TRUE(decoder);
    const int64_t length = decoder->LengthFrames();
    ASSERT_GT(length, 44100);
    EXPECT_EQ(static_cast<int64_t>(DecodeAll(*decoder).size() / 2), length);
    std::vector<int16_t> block(4096 * 2);
    ASSERT_TRUE(decoder->Seek(static_cast<uint64_t>(length)));
    EXPECT_EQ(decoder->Read(block.data(), 4096), 0u);
    ASSERT_TRUE(decoder->Seek(static_cast<uint64_t>(length - 5000)));
    EXPECT_EQ(DecodeAll(*decoder).size(), 5000u * 2);
    ASSERT_TRUE(decoder->Seek(0));
    EXPECT_EQ(static_cast<int64_t>(DecodeAll(*decoder).size() / 2), length);
  }
}

// A cut file keeps the gapless header of the whole one: its start is trimmed
// by the encoder delay as the whole file's is, from a file as from a stream.
TEST(StreamDecoder, ACutGaplessFileStartsWhereTheWholeOneDoes) {
  auto whole = OpenStreamDecoder(Fixture("radio.mp3"));
  auto file = OpenStreamDecoder(Fixture("cut.mp3"));
  auto stream = OpenStreamDecoder(OpenMemorySource(ReadBytes(Fixture("cut.mp3")), false));
  ASSERT_TRUE(whole && file && stream);
  const auto fromWhole = DecodeAll(*whole);
  const auto fromFile = DecodeAll(*file);
  const auto fromStream = DecodeAll(*stream);
  EXPECT_EQ(fromFile.size(), fromStream.size());
  EXPECT_TRUE(fromFile == fromStream);
  ASSERT_GT(fromFile.size(), 44100u * 2);
  ASSERT_LT(fromFile.size(), fromWhole.size());
  EXPECT_TRUE(std::equal(fromFile.begin(), fromFile.begin() + 44100 * 2, fromWhole.begin()));
}

// Radio joined mid-stream: the data starts anywhere inside a frame, where
// false frame headers abound. The format must still be the stream's own.
TEST(StreamDecoder, StreamsJoinedMidFrameKeepTheirFormat) {
  struct Joined {
    const char* file;
    uint32_t rate;
    uint32_t channels;
  };
  for (const Joined& j : {Joined{"cbr44s.mp3", 44100, 2}, Joined{"radio.mp3", 44100, 2}}) {
    SCOPED_TRACE(j.file);
    const auto bytes = ReadBytes(Fixture(j.file));
    ASSERT_GT(bytes.size(), 20000u);
    std::mt19937 random(2024);
    for (int cut = 0; cut < 150; ++cut) {
      const size_t at = random() % (bytes.size() / 2);
      SCOPED_TRACE(at);
      const std::vector<uint8_t> joined(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes.end());
      // Through the chooser, as a file that cannot seek, and straight to the
      // MPEG decoder, as radio goes.
      for (bool chosen : {true, false}) {
        auto decoder = chosen ? OpenStreamDecoder(OpenMemorySource(joined, false))
                              : OpenMpegDecoder(OpenMemorySource(joined, false));
        ASSERT_TRUE(decoder) << chosen;
        EXPECT_EQ(decoder->Format().rate, j.rate) << chosen;
        EXPECT_EQ(decoder->Format().channels, j.channels) << chosen;
        EXPECT_GE(DecodeAll(*decoder, j.rate / 2).size(), size_t{j.rate / 2 * j.channels}) << chosen;
      }
    }
  }
}

TEST(StreamDecoder, ChainedVorbisKeepsTheFirstLinksChannelCount) {
  for (bool seekable : {true, false}) {
    SCOPED_TRACE(seekable);
    auto decoder = OpenStreamDecoder(OpenMemorySource(ReadBytes(Fixture("chain.ogg")), seekable));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->Format().channels, 2u);
    EXPECT_EQ(decoder->LengthFrames(), seekable ? 88200 + 44100 : -1);
    const auto samples = DecodeAll(*decoder);
    ASSERT_EQ(samples.size(), (88200u + 44100u) * 2);
    for (unsigned channel = 0; channel < 2; ++channel) {
      EXPECT_TRUE(Dominates(Channel(samples, 2, channel, 22050, 66150), 440, 44100));
      const auto second = Channel(samples, 2, channel, 88200 + 11025, 88200 + 33075);
      EXPECT_TRUE(Dominates(second, 1000, 44100));
      EXPECT_NEAR(Rms(second), 0.354, 0.05);
    }
  }
}

TEST(StreamDecoder, WaveFromAStreamThatCannotSeekIsRefused) {
  EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(ReadBytes(Fixture("s16.wav")), false)));
}

TEST(StreamDecoder, ChoosesByContentsBeforeTheExtension) {
  const auto ogg = ReadBytes(Fixture("st44.ogg"));
  auto decoder = OpenStreamDecoder(OpenMemorySource(ogg, true, ".mp3"));
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->LengthFrames(), 88200);
}

// Only what the player lists plays, in every build: FLAC and the other
// containers some libsndfile reads are refused, by name and under a listed
// name alike.
TEST(StreamDecoder, ContainersThePlayerDoesNotListAreRefused) {
  for (const char* file : {"other.flac", "other.au", "other.caf", "other.w64", "other.voc", "other.8svx"}) {
    SCOPED_TRACE(file);
    const auto bytes = ReadBytes(Fixture(file));
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_FALSE(OpenStreamDecoder(Fixture(file)));
    for (const char* named : {".wav", ".aiff", ".mp3", ".ogg"}) {
      EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(bytes, true, named))) << named;
      EXPECT_FALSE(OpenStreamDecoder(OpenMemorySource(bytes, false, named))) << named;
    }
    EXPECT_FALSE(OpenSoundFileDecoder(OpenMemorySource(bytes, true)));
  }
}

TEST(StreamDecoder, OpensPathsOutsideAnyCodePage) {
  auto folder = std::filesystem::temp_directory_path() / std::filesystem::path(u8"sono-décodeurs-音-");
  folder += std::to_string(std::random_device{}());
  std::filesystem::create_directories(folder);
  const auto file = folder / std::filesystem::path(u8"tonalité-音.mp3");
  std::filesystem::copy_file(Fixture("cbr44s.mp3"), file, std::filesystem::copy_options::overwrite_existing);
  const auto u8 = file.u8string();
  auto decoder = OpenStreamDecoder(std::string(u8.begin(), u8.end()));
  EXPECT_TRUE(decoder);
  decoder.reset();
  std::filesystem::remove_all(folder);
}

TEST(StreamDecoder, DecodersOnSeparateThreadsDoNotDisturbEachOther) {
  const auto reference = [] {
    auto decoder = OpenStreamDecoder(Fixture("cbr44s.mp3"));
    return DecodeAll(*decoder);
  }();
  std::vector<std::thread> threads;
  std::vector<int> same(4, 0);
  for (size_t i = 0; i < same.size(); ++i) {
    threads.emplace_back([&, i] {
      auto decoder = OpenStreamDecoder(Fixture(i % 2 ? "cbr44s.mp3" : "st44.ogg"));
      const auto samples = decoder ? DecodeAll(*decoder) : std::vector<int16_t>{};
      same[i] = i % 2 ? samples == reference : samples.size() == 88200 * 2;
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(same, std::vector<int>(4, 1));
}

}  // namespace
}  // namespace sono::test
