#include <gtest/gtest.h>

#include "OracleDiscs.h"
#include "sono/cd/DiscId.h"

using sono::cd::DiscId;
using sono::cd::FramesFromMsf;
using sono::cd::QueryText;
using sono::cd::TableOfContents;

TEST(DiscId, TwoTrackDiscWorkedByHand) {
  // Track starts 150 and 15000 are seconds 2 and 200 (digit sums 2 + 2 = 4);
  // the lead-out at 30000 is second 400, so 398 s (0x18e) of play over 2 tracks.
  const TableOfContents toc{{150, 15000}, 30000};
  EXPECT_EQ(DiscId(toc), 0x04018e02u);
  EXPECT_EQ(QueryText(toc), "04018e02 2 150 15000 400");
}

TEST(DiscId, DigitSumsWrapAt255) {
  // 99 tracks starting at seconds 99, 199, ..., 9899: second 100i + 99 has the
  // digit sum of i plus 18. The digit sums of 0..98 add up to 900 - 18 = 882,
  // so 882 + 99 * 18 = 2664 in all, and 2664 % 255 = 114 = 0x72.
  TableOfContents toc;
  for (uint32_t i = 0; i < 99; ++i) toc.trackOffsets.push_back((99 + 100 * i) * 75);
  toc.leadOut = 10000 * 75;
  EXPECT_EQ(DiscId(toc), 0x72000000u | (10000 - 99) << 8 | 99);
}

TEST(DiscId, OffsetsKeepTheLeadInAndFramesWithinASecond) {
  // The first track at 00:02:74 is frame 224 but still second 2; the total is
  // the lead-out's second, lead-in included.
  EXPECT_EQ(FramesFromMsf(0, 2, 74), 224u);
  const TableOfContents toc{{FramesFromMsf(0, 2, 74)}, FramesFromMsf(3, 2, 10)};
  EXPECT_EQ(QueryText(toc), "0200b401 1 224 182");
}

TEST(DiscId, MatchesTheIndependentComputation) {
  for (const auto& disc : kOracleDiscs) {
    SCOPED_TRACE(disc.query);
    EXPECT_EQ(QueryText(TableOfContents{disc.offsets, disc.leadOut}), disc.query);
  }
}

TEST(DiscId, RefusesTablesNoDiscCanHave) {
  EXPECT_FALSE(QueryText(TableOfContents{{}, 30000}));
  EXPECT_FALSE(QueryText(TableOfContents{{150, 150}, 30000}));       // repeated start
  EXPECT_FALSE(QueryText(TableOfContents{{15000, 150}, 30000}));     // falling starts
  EXPECT_FALSE(QueryText(TableOfContents{{150, 15000}, 15000}));     // lead-out inside
  EXPECT_FALSE(QueryText(TableOfContents{std::vector<uint32_t>(100, 0), 30000}));
  TableOfContents hundred;
  for (uint32_t i = 0; i < 100; ++i) hundred.trackOffsets.push_back(150 + i * 1000);
  hundred.leadOut = 200000;
  EXPECT_FALSE(QueryText(hundred));
  hundred.trackOffsets.pop_back();
  EXPECT_TRUE(QueryText(hundred));
}
