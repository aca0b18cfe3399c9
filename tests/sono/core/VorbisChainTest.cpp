// Chained Ogg Vorbis files, their links joined as cat joins them: every link
// plays at its own speed and pitch at the first link's rate, the length is
// what is decoded, and the tag library's length says the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "Signal.h"
#include "sono/core/Decoder.h"
#include "tags/OggVorbis.h"

namespace sono::test {
namespace {

constexpr uint32_t kRate = 44100;

// Frequency by counting upward zero crossings.
double ZeroCrossingFrequency(const std::vector<double>& signal, double rate) {
  size_t first = 0, last = 0, crossings = 0;
  for (size_t i = 1; i < signal.size(); ++i) {
    if (signal[i - 1] < 0 && signal[i] >= 0) {
      if (crossings++ == 0) first = i;
      last = i;
    }
  }
  return crossings < 2 ? 0 : static_cast<double>(crossings - 1) * rate / static_cast<double>(last - first);
}

struct Link {
  double seconds;    // where it starts and ends in the output
  double end;
  double frequency;  // of its tone
};

// 2 s of 440 Hz at 44.1 kHz stereo, 1 s of 1000 Hz at 8 kHz mono, 1.5 s of
// 660 Hz at 32 kHz in six channels.
constexpr Link kLinks[] = {{0, 2, 440}, {2, 3, 1000}, {3, 4.5, 660}};

TEST(VorbisChain, EveryLinkPlaysAtItsOwnSpeedAndPitch) {
  for (bool seekable : {true, false}) {
    SCOPED_TRACE(seekable);
    auto decoder = OpenStreamDecoder(OpenMemorySource(ReadBytes(Fixture("rates.ogg")), seekable));
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->Format().rate, kRate);
    EXPECT_EQ(decoder->Format().channels, 2u);
    const auto samples = DecodeAll(*decoder);
    const auto frames = static_cast<int64_t>(samples.size() / 2);
    if (seekable) {
      EXPECT_EQ(decoder->LengthFrames(), static_cast<int64_t>(4.5 * kRate));
      EXPECT_EQ(frames, decoder->LengthFrames());
    } else {
      // Without the end of each link known, a link's last frames may differ.
      EXPECT_EQ(decoder->LengthFrames(), -1);
      EXPECT_LE(std::abs(frames - static_cast<int64_t>(4.5 * kRate)), 4096);
    }
    for (const Link& link : kLinks) {
      SCOPED_TRACE(link.frequency);
      const double quarter = (link.end - link.seconds) / 4;
      const auto begin = static_cast<size_t>((link.seconds + quarter) * kRate);
      const auto end = static_cast<size_t>((link.end - quarter) * kRate);
      for (unsigned channel = 0; channel < 2; ++channel) {
        const auto middle = Channel(samples, 2, channel, begin, end);
        EXPECT_NEAR(ZeroCrossingFrequency(middle, kRate), link.frequency, link.frequency * 0.01);
        EXPECT_TRUE(Dominates(middle, link.frequency, kRate));
        EXPECT_NEAR(Rms(middle), 0.354, 0.05);
      }
    }
  }
}

TEST(VorbisChain, SeekingIntoALaterLinkLandsWhereDecodingFromTheStartWould) {
  auto decoder = OpenStreamDecoder(Fixture("rates.ogg"));
  ASSERT_TRUE(decoder);
  const auto whole = DecodeAll(*decoder);
  for (const size_t target : {size_t{2 * kRate + 5513}, size_t{3 * kRate + 12345}, size_t{2 * kRate}}) {
    SCOPED_TRACE(target);
    ASSERT_TRUE(decoder->Seek(target));
    std::vector<int16_t> part(1024 * 2);
    ASSERT_EQ(decoder->Read(part.data(), 1024), 1024u);
    int worst = 0;
    for (size_t i = 0; i < part.size(); ++i) worst = std::max(worst, std::abs(part[i] - whole[target * 2 + i]));
    EXPECT_LE(worst, 64);
  }
  ASSERT_TRUE(decoder->Seek(static_cast<uint64_t>(decoder->LengthFrames()) - 100));
  EXPECT_EQ(DecodeAll(*decoder).size(), 100u * 2);
}

// A link cut inside a page, with the next link after it, and one file
// written twice under one serial: the decoder plays every whole page of
// every link, and both lengths count what it plays.
TEST(VorbisChain, DecoderAndTagLibraryLengthsAgreeWithWhatIsDecoded) {
  struct Case {
    const char* file;
    double least;  // seconds played at the least, and at the most
    double most;
  };
  for (const Case& c : {Case{"rates.ogg", 4.5, 4.5}, Case{"cutlink.ogg", 1 + 1, 1 + 4}, Case{"twice.ogg", 4, 4}}) {
    SCOPED_TRACE(c.file);
    auto decoder = OpenStreamDecoder(Fixture(c.file));
    ASSERT_TRUE(decoder);
    const auto frames = static_cast<int64_t>(DecodeAll(*decoder).size() / decoder->Format().channels);
    EXPECT_EQ(decoder->LengthFrames(), frames);
    const double played = static_cast<double>(frames) / decoder->Format().rate;
    EXPECT_GE(played, c.least - 0.001);
    EXPECT_LE(played, c.most + 0.001);

    sv::tags::TOggVorbis tag;
    ASSERT_TRUE(tag.ReadFromFile(Fixture(c.file)));
    // Each link's length is rounded to whole output frames.
    EXPECT_NEAR(tag.Duration(), played, 0.001);
  }
}

}  // namespace
}  // namespace sono::test
