// Folder walks over a made-up disk (links back up, links across, deep
// folders), the folder tree's scan of a base folder, and its cache file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/AnsiCodec.h"
#include "base/TextFile.h"
#include "player/FolderWalk.h"
#include "player/TreeCache.h"
#include "tests/player/FakeDisk.h"

using namespace player;
using playertest::FakeDisk;
using playertest::Dir;
using playertest::File;
using playertest::Link;

namespace player {
void PrintTo(const TreeLine& line, std::ostream* out) { *out << line.Level << ":" << line.Text; }
}  // namespace player

namespace {

bool ByteLess(const std::string& a, const std::string& b) { return a < b; }

}  // namespace

TEST(FolderWalk, FindsEachFolderOnceInTheOrderFoundAndEndsOnLinkLoops) {
  FakeDisk disk;
  disk.Folder("C:\\M\\", {File("a.mp3"), Dir("b"), Dir("a"), Link("up", "C:\\M\\"), Link("toB", "C:\\M\\b\\")});
  disk.Folder("C:\\M\\b\\", {Dir("deep"), Link("loop", "C:\\M\\b\\"), Link("side", "C:\\X\\")});
  disk.Folder("C:\\M\\a\\", {});
  disk.Folder("C:\\M\\b\\deep\\", {Link("root", "C:\\M\\")});
  disk.Folder("C:\\X\\", {Link("back", "C:\\M\\a\\")});
  const auto folders = WalkAllFolders(disk, "C:\\M");
  // Listing order, not sorted; links to folders already found are dropped,
  // a link to a new place is followed once.
  EXPECT_EQ(folders, (std::vector<std::string>{"C:\\M\\", "C:\\M\\b\\", "C:\\M\\a\\", "C:\\M\\b\\deep\\",
                                               "C:\\M\\b\\side\\"}));
  EXPECT_EQ(disk.listed.size(), folders.size());

  // Without identities, linked folders are not entered at all.
  FakeDisk blind = disk;
  blind.knowsIdentities = false;
  EXPECT_EQ(WalkAllFolders(blind, "C:\\M\\"),
            (std::vector<std::string>{"C:\\M\\", "C:\\M\\b\\", "C:\\M\\a\\", "C:\\M\\b\\deep\\"}));
}

TEST(FolderWalk, StopsListingAtTheDepthLimitAndStepsOneFolderAtATime) {
  FakeDisk disk;
  std::string path = "C:\\";
  for (int i = 0; i < 80; ++i) {
    disk.Folder(path, {Dir("d")});
    path += "d\\";
  }
  disk.Folder(path, {});
  FolderWalk walk(disk, "C:\\");
  int steps = 0;
  while (walk.Step()) ++steps;
  EXPECT_EQ(walk.Folders().size(), static_cast<std::size_t>(kMaxWalkDepth + 1));
  EXPECT_EQ(steps, kMaxWalkDepth + 1);
  // The deepest folder taken is in the list but was never listed.
  EXPECT_EQ(disk.listed.size(), static_cast<std::size_t>(kMaxWalkDepth));
  EXPECT_TRUE(walk.Done());
  EXPECT_FALSE(walk.Step());
  // Without links no identity is needed.
  EXPECT_EQ(disk.identityCalls, 0);
}

TEST(TreeScan, ListsTenLevelsSortsEachFolderAndShowsLinksWithoutFollowingThem) {
  FakeDisk disk;
  disk.Folder("C:\\M\\", {Dir("b"), File("song.mp3"), File("Z.PLS"), Dir("x.m3u"), Dir("B"), File("a.m3u"),
                         Link("loop", "C:\\M\\"), Link("other", "C:\\O\\")});
  disk.Folder("C:\\M\\b\\", {});
  disk.Folder("C:\\M\\B\\", {File("in.m3u")});
  disk.Folder("C:\\M\\x.m3u\\", {Dir("inner")});
  disk.Folder("C:\\M\\x.m3u\\inner\\", {});
  disk.Folder("C:\\O\\", {Dir("o1")});
  disk.Folder("C:\\O\\o1\\", {});
  std::string deep = "C:\\M\\b\\";
  disk.Folder(deep, {Dir("1")});
  for (int i = 1; i <= 12; ++i) {
    deep += std::to_string(i) + "\\";
    disk.Folder(deep, {Dir(std::to_string(i + 1))});
  }
  int listings = 0;
  const auto lines = ScanBaseFolder(disk, "C:\\M", ByteLess, [&] { ++listings; });
  std::vector<TreeLine> expected = {{0, "C:\\M\\"}, {1, "B"}, {2, "in.m3u"}, {1, "Z.PLS"}, {1, "a.m3u"}, {1, "b"}};
  // Level 10 is shown, nothing below it.
  for (int level = 2; level <= 10; ++level) expected.push_back({level, std::to_string(level - 1)});
  expected.insert(expected.end(), {{1, "loop"}, {1, "other"}, {2, "o1"}, {1, "x.m3u"}, {2, "inner"}});
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(listings, static_cast<int>(disk.listed.size()));
  for (const std::string& folder : disk.listed) EXPECT_EQ(folder.find("loop"), std::string::npos) << folder;
}

TEST(TreeCache, WritesTabsPerLevelAndReadsItBack) {
  const std::vector<TreeLine> tree = {{0, "C:\\Music\\"}, {1, " Leading blank"}, {2, "Café 音楽"},
                                      {2, "list.m3u"},    {1, "Rock"},           {0, "D:\\Other\\"}};
  const std::string bytes = WriteTreeCache(tree);
  EXPECT_EQ(bytes,
            "\xEF\xBB\xBF" "C:\\Music\\\r\n\t Leading blank\r\n\t\tCafé 音楽\r\n\t\tlist.m3u\r\n\tRock\r\nD:\\Other\\\r\n");
  const TreeCacheRead read = ReadTreeCache(sv::DecodeText(bytes));
  EXPECT_FALSE(read.Malformed);
  EXPECT_EQ(read.Lines, tree);
  // A name can never break a line or fake a level.
  EXPECT_EQ(WriteTreeCache({{0, "C:\\a\\"}, {1, "x\r\n\tevil"}}), "C:\\a\\\r\n\tx   evil\r\n");
  EXPECT_EQ(WriteTreeCache({}), "");
}

// A node added to the cache by hand in an ANSI editor: the names written
// before it stay as they were.
TEST(TreeCache, ALineAddedInTheAnsiCodePageKeepsTheOtherNames) {
  sv::SetAnsiCodec(sv::Cp1252Codec());
  const std::string bytes = WriteTreeCache({{0, "D:\\Песни\\"}, {1, "Альбом"}}) + "\t\tR\xE9serve\r\n";
  EXPECT_EQ(ReadTreeCache(sv::DecodeText(bytes)).Lines,
            (std::vector<TreeLine>{{0, "D:\\Песни\\"}, {1, "Альбом"}, {2, "Réserve"}}));
  sv::SetAnsiCodec({});
}

TEST(TreeCache, ReadingRules) {
  struct Case {
    const char* text;
    std::vector<TreeLine> lines;
    std::size_t badLine;
  };
  const Case cases[] = {
      // Any line ending; the first line is a base whatever its indent.
      {"\t\tC:\\a\\\n\tb\r\t\tc\r\n\td\n", {{0, "C:\\a\\"}, {1, "b"}, {2, "c"}, {1, "d"}}, 0},
      // Back up several levels at once; a shallower line at 0 is a new base.
      {"A\n\tb\n\t\tc\n\t\t\td\n\te\nF\n\tg", {{0, "A"}, {1, "b"}, {2, "c"}, {3, "d"}, {1, "e"}, {0, "F"}, {1, "g"}}, 0},
      // Blanks are part of the name, never a level.
      {"A\n  b\n\t  c\n", {{0, "A"}, {0, "  b"}, {1, "  c"}}, 0},
      // Empty lines and lines of TABs only are skipped.
      {"\r\nA\r\n\r\n\t\t\r\n\tb\r\n\r\n", {{0, "A"}, {1, "b"}}, 0},
      // Two levels deeper: the nodes before it stay, nothing after it is read.
      {"A\n\tb\n\t\t\tc\n\td\n", {{0, "A"}, {1, "b"}}, 3},
      {"A\n\t\tb\n", {{0, "A"}}, 2},
      {"", {}, 0},
  };
  for (const Case& c : cases) {
    const TreeCacheRead read = ReadTreeCache(c.text);
    EXPECT_EQ(read.Lines, c.lines) << c.text;
    EXPECT_EQ(read.Malformed, c.badLine != 0) << c.text;
    EXPECT_EQ(read.BadLine, c.badLine) << c.text;
  }
}

TEST(TreeCache, ExpandedNodesText) {
  EXPECT_EQ(ParseExpandedNodes("3,7,12"), (std::vector<int>{3, 7, 12}));
  EXPECT_EQ(ParseExpandedNodes("12,3,,x,7, 8,-1,3,99999999999"), (std::vector<int>{3, 7, 12}));
  EXPECT_TRUE(ParseExpandedNodes("").empty());
  EXPECT_EQ(FormatExpandedNodes({0, 4, 5}), "0,4,5");
  EXPECT_EQ(FormatExpandedNodes({}), "");
}
