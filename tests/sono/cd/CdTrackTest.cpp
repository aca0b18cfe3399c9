#include <gtest/gtest.h>

#include "sono/cd/CdTrack.h"

using sono::cd::SectorSpan;
using sono::cd::TableOfContents;
using sono::cd::TrackNumberFromPath;
using sono::cd::TrackSectors;

TEST(CdTrack, NumberFromTheSystemsFileName) {
  EXPECT_EQ(TrackNumberFromPath("D:\\Track05.cda"), 5);
  EXPECT_EQ(TrackNumberFromPath("e:\\TRACK12.CDA"), 12);
  EXPECT_EQ(TrackNumberFromPath("Track99.cda"), 99);
  EXPECT_EQ(TrackNumberFromPath("D:Track01.cda"), 1);
  for (const char* bad : {"D:\\Track00.cda", "D:\\Track5.cda", "D:\\Track005.cda", "D:\\Track0x.cda",
                          "D:\\Track05.wav", "D:\\Song05.cda", "D:\\Track05.cda\\", ""}) {
    EXPECT_FALSE(TrackNumberFromPath(bad)) << bad;
  }
}

TEST(CdTrack, SectorsRunToTheNextTrackOrTheLeadOut) {
  const TableOfContents toc{{150, 15000, 20000}, 30000};
  const auto first = TrackSectors(toc, 1);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->first, 0u);  // frame 150 is the disc's first sector
  EXPECT_EQ(first->count, 14850u);
  const auto last = TrackSectors(toc, 3);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->first, 19850u);
  EXPECT_EQ(last->count, 10000u);
  EXPECT_FALSE(TrackSectors(toc, 0));
  EXPECT_FALSE(TrackSectors(toc, 4));
  EXPECT_FALSE(TrackSectors(TableOfContents{{100}, 30000}, 1));   // before the lead-in ends
  EXPECT_FALSE(TrackSectors(TableOfContents{{150}, 150}, 1));     // implausible table
}
