// Modules from the test module writer: exact lengths, the natural end, and a
// backward jump that either loops or ends the module as asked.
#include <gtest/gtest.h>

#include "Signal.h"
#include "sono/core/Decoder.h"

namespace sono::test {
namespace {

// 64 rows of 6 ticks at 125 BPM (20 ms a tick), at 44.1 kHz.
constexpr int64_t kSquareFrames = 64 * 6 * 882;
// Pattern 0, then pattern 1 up to its row 15, which jumps back.
constexpr int64_t kJumpFrames = (64 + 16) * 6 * 882;

std::unique_ptr<Decoder> OpenModule(const char* file, uint32_t flags) {
  return OpenModuleDecoder(OpenFileSource(Fixture(file)), flags);
}

TEST(ModuleDecoder, PlaysToTheEndOfTheOrderListAtTheScannedLength) {
  for (uint32_t flags : {0u, uint32_t{kModulePrescan}, uint32_t{kModulePrescan | kModuleStopBackJump}}) {
    SCOPED_TRACE(flags);
    auto decoder = OpenModule("square.mod", flags);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(decoder->Format().rate, 44100u);
    EXPECT_EQ(decoder->Format().channels, 2u);
    EXPECT_EQ(decoder->ModuleName(), "square test");
    EXPECT_EQ(decoder->LengthFrames(), kSquareFrames);
    const auto samples = DecodeAll(*decoder);
    EXPECT_EQ(static_cast<int64_t>(samples.size() / 2), kSquareFrames);
  }
}

TEST(ModuleDecoder, SoundsTheSampleAtItsPitch) {
  auto decoder = OpenModule("square.mod", kModulePrescan);
  ASSERT_TRUE(decoder);
  const auto samples = DecodeAll(*decoder);
  // Period 428 on the PAL clock plays 8287 samples a second; the looped
  // square wave is 32 samples long.
  const double pitch = 7093789.2 / (2 * 428) / 32;
  const auto left = Channel(samples, 2, 0, 44100, 3 * 44100);
  EXPECT_TRUE(Dominates(left, pitch, 44100));
  EXPECT_GT(Rms(left), 0.05);
}

TEST(ModuleDecoder, BackwardJumpEndsTheModuleWhenAsked) {
  auto decoder = OpenModule("jump.mod", kModulePrescan | kModuleStopBackJump);
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->LengthFrames(), kJumpFrames);
  const auto samples = DecodeAll(*decoder);
  EXPECT_EQ(static_cast<int64_t>(samples.size() / 2), kJumpFrames);
}

TEST(ModuleDecoder, BackwardJumpLoopsOtherwise) {
  auto decoder = OpenModule("jump.mod", kModulePrescan);
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->LengthFrames(), kJumpFrames);
  const auto samples = DecodeAll(*decoder, 3 * kJumpFrames);
  EXPECT_EQ(static_cast<int64_t>(samples.size() / 2), 3 * kJumpFrames);
}

TEST(ModuleDecoder, SeeksToATimeWithinOneTick) {
  auto decoder = OpenModule("square.mod", kModulePrescan | kModuleStopBackJump);
  ASSERT_TRUE(decoder);
  std::vector<int16_t> some(4000 * 2);
  ASSERT_EQ(decoder->Read(some.data(), 4000), 4000u);
  const int64_t target = 2 * 44100 + 123;
  ASSERT_TRUE(decoder->Seek(target));
  const auto rest = static_cast<int64_t>(DecodeAll(*decoder).size() / 2);
  EXPECT_NEAR(static_cast<double>(rest), static_cast<double>(kSquareFrames - target), 882);
  // Back to the start after the end.
  ASSERT_TRUE(decoder->Seek(0));
  EXPECT_NEAR(static_cast<double>(DecodeAll(*decoder).size() / 2), static_cast<double>(kSquareFrames), 882);
  EXPECT_FALSE(decoder->Seek(kSquareFrames + 1));
}

// What is left after a seek is the module from that frame on, to within a
// millisecond (libxmp counts time in whole milliseconds), not a tick more:
// into the only order, into a later order, and back within the order playing.
TEST(ModuleDecoder, ASeekPlaysFromTheFrameAskedFor) {
  struct Case {
    const char* file;
    int64_t length, readFirst, target;
  };
  const Case cases[] = {
      {"square.mod", kSquareFrames, 4000, 2 * 44100 + 123},
      {"jump.mod", kJumpFrames, 0, 8 * 44100 + 5000},
      {"jump.mod", kJumpFrames, 9 * 44100, 8 * 44100 + 5000},
      {"jump.mod", kJumpFrames, 9 * 44100, 3 * 44100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " from " + std::to_string(c.readFirst) + " to " + std::to_string(c.target));
    auto decoder = OpenModule(c.file, kModulePrescan | kModuleStopBackJump);
    ASSERT_TRUE(decoder);
    if (c.readFirst > 0) {
      ASSERT_EQ(static_cast<int64_t>(DecodeAll(*decoder, static_cast<size_t>(c.readFirst)).size() / 2), c.readFirst);
    }
    ASSERT_TRUE(decoder->Seek(static_cast<uint64_t>(c.target)));
    const auto rest = static_cast<int64_t>(DecodeAll(*decoder).size() / 2);
    EXPECT_NEAR(static_cast<double>(rest), static_cast<double>(c.length - c.target), 44.1);
  }
}

// A seek to the length gives the end, not one more tick.
TEST(ModuleDecoder, ASeekToTheLengthGivesTheEnd) {
  for (const char* file : {"square.mod", "jump.mod"}) {
    SCOPED_TRACE(file);
    auto decoder = OpenModule(file, kModulePrescan | kModuleStopBackJump);
    ASSERT_TRUE(decoder);
    std::vector<int16_t> block(4096 * 2);
    ASSERT_TRUE(decoder->Seek(static_cast<uint64_t>(decoder->LengthFrames())));
    EXPECT_EQ(decoder->Read(block.data(), 4096), 0u);
    ASSERT_TRUE(decoder->Seek(0));
    EXPECT_EQ(static_cast<int64_t>(DecodeAll(*decoder).size() / 2), decoder->LengthFrames());
  }
}

TEST(ModuleDecoder, LoadsFromAStreamThatCannotSeek) {
  auto decoder = OpenModuleDecoder(OpenMemorySource(ReadBytes(Fixture("jump.mod")), false),
                                   kModuleStopBackJump);
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->LengthFrames(), kJumpFrames);
}

}  // namespace
}  // namespace sono::test
