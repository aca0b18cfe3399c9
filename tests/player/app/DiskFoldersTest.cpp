// The folder walks on a real disk made on the build host, with a link back
// up that the system shows as a plain folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "player/platform/DiskFolders.h"
#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {
namespace {

std::string Music() { return svtest::PathToUtf8(Fixture("tree/root/Music")) + "\\"; }

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

TEST(DiskFolders, TheWalkEndsOnALinkLoopAndTakesEveryRealFolderOnce) {
  player::DiskFolders disk;
  const std::string music = Music();
  ASSERT_TRUE(disk.Identity(music).has_value());
  EXPECT_EQ(disk.Identity(music + "Rock\\loop\\"), disk.Identity(music));
  EXPECT_NE(disk.Identity(music + "Rock\\"), disk.Identity(music));
  EXPECT_FALSE(disk.Identity(music + "missing\\").has_value());
  for (const player::WalkEntry& entry : disk.List(music + "Rock\\"))
    if (entry.Name == "loop") {
      EXPECT_TRUE(entry.IsLink && entry.IsFolder);
    }

  const auto folders = player::WalkAllFolders(disk, music);
  // Music, Rock, jazz, Bach, x.m3u, inner, the Unicode one, Many, Deep and
  // its twelve levels.
  EXPECT_EQ(folders.size(), 21u);
  EXPECT_TRUE(Contains(folders, music + "Ünïcödé 音楽\\"));
  EXPECT_TRUE(Contains(folders, music + "Deep\\L1\\L2\\L3\\L4\\L5\\L6\\L7\\L8\\L9\\L10\\L11\\L12\\"));
  for (const std::string& folder : folders) EXPECT_EQ(folder.find("loop"), std::string::npos) << folder;
}

TEST(DiskFolders, TheTreeScanShowsTheLinkWithoutChildren) {
  player::DiskFolders disk;
  const auto lines = player::ScanBaseFolder(disk, Music(), [](const std::string& a, const std::string& b) { return a < b; });
  const auto loop = std::find_if(lines.begin(), lines.end(), [](const player::TreeLine& l) { return l.Text == "loop"; });
  ASSERT_NE(loop, lines.end());
  EXPECT_EQ(loop->Level, 2);
  EXPECT_TRUE(std::next(loop) == lines.end() || std::next(loop)->Level <= 2);
}

}  // namespace
}  // namespace playertest
