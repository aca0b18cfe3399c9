// The time label's text, where a press lands on the seek and volume bars,
// and the five-second jump of a stopped song: tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "player/PositionBars.h"
#include "player/TimeLabel.h"

namespace player {
namespace {

TEST(PositionRules, TimeLabelTexts) {
  struct Case {
    TimeMode mode;
    double elapsed, length;
    const char* text;
  };
  const Case cases[] = {
      {TimeMode::Total, 0, 0, " 00:00"},
      {TimeMode::Total, 0, 59.4, " 00:59"},
      {TimeMode::Total, 0, 3599, " 59:59"},
      {TimeMode::Total, 0, 3600, " 01:00:00"},
      {TimeMode::Total, 0, 3725, " 01:02:05"},
      {TimeMode::Total, 0, 7800, " 02:10:00"},
      // Three minutes just started: the remaining time counts one second more.
      {TimeMode::Remaining, 0, 180, "-03:01"},
      {TimeMode::Remaining, 180, 180, "-00:01"},
      // The hour form starts when the remaining time reaches an hour.
      {TimeMode::Remaining, 1, 3600, "-01:00:00"},
      {TimeMode::Remaining, 2, 3600, "-59:59"},
      // An estimate shorter than what played never shows a negative time.
      {TimeMode::Remaining, 10, 5, "-00:00"},
      {TimeMode::Elapsed, 2 * 3600 + 600, 9000, " 02:10:00"},
      {TimeMode::Elapsed, -3, 9000, " 00:00"},
      // Past a day the hours go on.
      {TimeMode::Elapsed, 86400 + 61, 0, " 24:01:01"},
      {TimeMode::Total, 0, 100 * 3600.0, " 100:00:00"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TimeLabelText(c.mode, c.elapsed, c.length), c.text) << c.elapsed << " of " << c.length;
  // Three presses come back to the first mode; stored nonsense starts over.
  int mode = 0;
  for (int i = 0; i < 3; ++i) mode = static_cast<int>(NextTimeMode(mode));
  EXPECT_EQ(mode, 0);
  EXPECT_EQ(NextTimeMode(0), TimeMode::Elapsed);
  EXPECT_EQ(NextTimeMode(-7), TimeMode::Remaining);
}

TEST(PositionRules, PressesOnTheBars) {
  constexpr std::int64_t kBeyond4GiB = 5'000'000'017;  // float samples, about four hours
  struct Case {
    std::int64_t max;
    int x, width;
    std::optional<std::int64_t> value;
  };
  const Case cases[] = {
      {100, 0, 104, 0},
      {100, 50, 104, 50},
      {100, 100, 104, 100},
      {100, 150, 104, 100},  // a drag past the right end
      {100, -20, 104, 0},    // and past the left end
      {100, 1, 204, 0},      // 0.5 rounds to even
      {100, 3, 204, 2},      // 1.5 too
      {320000, 104, 108, 320000},
      {kBeyond4GiB, 100, 104, kBeyond4GiB},
      {kBeyond4GiB, 50, 104, 2'500'000'008},
      {kBeyond4GiB, 1, 104, 50'000'000},
      {0, 30, 104, 0},
      // Too narrow to point at.
      {100, 0, 4, std::nullopt},
      {100, 2, 0, std::nullopt},
      {100, 1, 5, 100},
  };
  for (const Case& c : cases)
    EXPECT_EQ(BarValueAt(c.max, c.x, c.width), c.value) << c.max << " at " << c.x << " of " << c.width;
}

TEST(PositionRules, FiveSecondsOfAStoppedSong) {
  EXPECT_EQ(JumpBytes(2'880'000, 180, 5), 80'000);
  EXPECT_EQ(JumpBytes(2'880'000, 180, -5), -80'000);
  EXPECT_EQ(JumpBytes(100, 40, 5), 12);  // 12.5 to even
  // Past 4 GiB the step stays exact enough.
  EXPECT_EQ(JumpBytes(6'350'400'000, 36000, 5), 882'000);
  EXPECT_EQ(JumpBytes(100, 0, 5), std::nullopt);
  EXPECT_EQ(JumpBytes(100, -1, 5), std::nullopt);
}

}  // namespace
}  // namespace player
