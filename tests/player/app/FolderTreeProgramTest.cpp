// The folder tree of the real player on a folder tree made on the build
// host: the scan and its cache file, the cache read back (also a broken
// one), the expanded nodes, clicks that play and append folders, the
// folder menu's items, the playing folder's highlight, and files dropped
// during a scan.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "tests/player/app/FolderTreeProgram.h"
#include "tests/support/ScreenPicture.h"

namespace playertest {
namespace {

using Tree = FolderTreeProgram;

// The tree as the scan must write it: folders and playlists, sorted with
// letter case counting, ten levels below the base and no more, the link
// back up shown without what lies behind it; behind the UTF-8 BOM, since a
// name goes beyond ASCII.
std::string ExpectedCache(const std::string& music) {
  std::string text = "\xEF\xBB\xBF" + music + "\r\n\tBach\r\n\tDeep\r\n";
  for (int level = 1; level <= 9; ++level)
    text += std::string(static_cast<std::size_t>(level + 1), '\t') + "L" + std::to_string(level) + "\r\n";
  text +=
      "\tjazz\r\n\tlist.m3u\r\n\tMany\r\n\tRock\r\n\t\tLive.PLS\r\n\t\tloop\r\n\tÜnïcödé 音楽\r\n\tx.m3u\r\n\t\tinner\r\n";
  return text;
}

TEST_F(Tree, TheScanIsWrittenToTheCacheAndReadBackFromIt) {
  PrepareTree(Music() + "\r\n1=" + Music() + "nowhere\r\n", "");
  Start();
  ShowAndWaitForTree();
  EXPECT_EQ(Value("Node0", "TreeView1"), "0|" + Music());
  SavePng("Form1", "TreeView1", "tree-scanned");
  Quit();
  EXPECT_EQ(folder.Read("Sorivanel.tree").value_or(""), ExpectedCache(Music()));
  EXPECT_EQ(Settings().ReadString("DATA", "ExpandedNodes", ""), "0");

  // The next start reads the cache, not the disk: a cache naming other
  // folders shows those, with the nodes expanded as saved.
  folder.Write("Sorivanel.tree", "C:\\Cached\\\r\n\tOne\r\n\t\t  Two\r\n\tThree\r\nD:\\Other\\\r\n");
  sv::IniFile ini = Settings();
  ini.WriteString("DATA", "ExpandedNodes", "0,1");
  Start();
  ShowAndWaitForTree();
  auto tree = State("TreeView1");
  EXPECT_EQ(tree["Count"], "5");
  EXPECT_EQ(tree["Node2"], "2|  Two");
  EXPECT_EQ(tree["Node4"], "0|D:\\Other\\");
  EXPECT_EQ(tree["Selected"], "C:\\Cached\\");
  Quit();
  EXPECT_EQ(folder.Read("Sorivanel.tree").value_or(""),
            "C:\\Cached\\\r\n\tOne\r\n\t\t  Two\r\n\tThree\r\nD:\\Other\\\r\n");
  EXPECT_EQ(Settings().ReadString("DATA", "ExpandedNodes", ""), "0,1");
}

TEST_F(Tree, ABrokenCacheIsReplacedByOneScan) {
  PrepareTree(Music(), "C:\\A\\\r\n\tB\r\n\t\t\tToo deep\r\n\tC\r\n");
  // No box: the base folders are scanned instead, and the close writes the
  // scan over the broken cache, so that the next start reads it.
  Start();
  ShowAndWaitForTree();
  EXPECT_EQ(Value("Node0", "TreeView1"), "0|" + Music());
  Quit();
  EXPECT_EQ(folder.Read("Sorivanel.tree").value_or(""), ExpectedCache(Music()));
  EXPECT_EQ(Settings().ReadString("DATA", "ExpandedNodes", ""), "0");
}

TEST_F(Tree, ClicksPlayAndAppendFoldersAndTheMenuFitsTheNode) {
  PrepareTree(Music(), "");
  Start();
  ShowAndWaitForTree();
  // Left click: the folder's songs replace the list, sorted by name, and the
  // first one plays.
  ClickNode("Many", WM_LBUTTONDOWN);
  ASSERT_TRUE(WaitForList(150));
  EXPECT_EQ(Value("Entry0"), Music() + "Many\\song000.wav");
  EXPECT_EQ(Value("Entry149"), Music() + "Many\\song149.wav");
  EXPECT_EQ(Value("CurrentIndex"), "0");
  // Middle click: appended, the current entry stays.
  ClickNode("jazz", WM_MBUTTONDOWN);
  ASSERT_TRUE(WaitForList(151));
  EXPECT_EQ(Value("Entry150"), Music() + "jazz\\c.wav");
  EXPECT_EQ(Value("CurrentIndex"), "0");
  // Sub-folders are included (the setting's default); the link back up
  // leads once into the base, and the walk ends.
  ClickNode("Rock", WM_LBUTTONDOWN);
  ASSERT_TRUE(WaitForList(154));
  EXPECT_EQ(Value("Entry0"), Music() + "Rock\\A.wav");
  EXPECT_EQ(Value("Entry1"), Music() + "Rock\\b.wav");

  // The menu of a folder with songs and no sub-folder; of a playlist; of
  // empty space.
  EXPECT_EQ(FolderMenu("Many"), "MenuMettreSuite2,MenuLireRep2,MenuChansons,MenuExplorerRep,MenuChercherDansRep,"
                                "MenuGererRep,MenuRefreshRep");
  auto state = State();
  EXPECT_EQ(state["Songs"], "100");
  EXPECT_LT(state["FirstSong"], state["LastSong"]);
  EXPECT_EQ(state["MenuFolder"], Music() + "Many\\");
  EXPECT_EQ(FolderMenu("Rock", "tree-folder-menu"), "MenuMettreSuite,MenuLireRep,MenuChansons,MenuExplorerRep,MenuChercherDansRep,"
                                "MenuGererRep,MenuRefreshRep");
  EXPECT_EQ(FolderMenu("list.m3u"), "MenuLireRep2,MenuEditerPlayliste,MenuGererRep,MenuRefreshRep");
  EXPECT_EQ(FolderMenu(""), "MenuGererRep,MenuRefreshRep");
  Quit();
}

TEST_F(Tree, OnlyTheFolderOfTheCurrentSongIsHighlighted) {
  PrepareTree(Music(), "");
  Start();
  // No node under the mouse: none is hot.
  SetCursorPos(0, 0);
  ShowAndWaitForTree();
  const auto tag = static_cast<std::uint32_t>(std::stoul(Value("Tag", "TreeView1")));
  const std::uint32_t highlight = ((tag & 0xFF) << 16) | (tag & 0xFF00) | ((tag >> 16) & 0xFF);
  // Pixels of the highlight colour on the node's line, as the screen shows
  // it: a tree that is not repainted keeps what it drew before.
  const auto highlighted = [&](const std::string& text) {
    const std::string point = Value("TreePoint" + std::to_string(NodeIndex(text)));
    POINT at{std::atoi(point.c_str()), std::atoi(point.c_str() + point.find(',') + 1)};
    ClientToScreen(TreeWindow(), &at);
    const RECT line{at.x, at.y - 4, at.x + 30, at.y + 4};
    const auto pixels = svtest::ScreenPixels(line);
    return std::count(pixels.begin(), pixels.end(), highlight) > 0;
  };
  EXPECT_EQ(Second({Music() + "jazz\\c.wav"}), 0u);
  ASSERT_TRUE(WaitFor("CurrentIndex", "0"));
  EXPECT_TRUE(svtest::WaitUntil([&] { return highlighted("jazz"); }, 10000)) << "the playing folder is not shown";
  EXPECT_FALSE(highlighted("Many"));
  EXPECT_EQ(Second({Music() + "Many\\song000.wav"}), 0u);
  ASSERT_TRUE(WaitFor("CurrentIndex", "1"));
  EXPECT_TRUE(svtest::WaitUntil([&] { return highlighted("Many") && !highlighted("jazz"); }, 10000))
      << "the tree still shows the previous song's folder";
  svtest::SaveScreenPng(TreeWindow(), svtest::BuiltFile("tests/player/app") / "tree-playing-folder.png");
  Quit();
}

TEST_F(Tree, OfFilesDroppedDuringAScanTheFirstPlays) {
  // A base folder of many folders, whose scan lets messages through.
  const std::filesystem::path wide = folder / "wide";
  for (int i = 0; i < 4000; ++i) std::filesystem::create_directories(wide / ("f" + std::to_string(i)));
  PrepareTree(svtest::PathToUtf8(wide) + "\\", "");
  const std::string b = Place("long.wav", "b.wav"), a = Place("long.wav", "A.wav");
  Start();
  svtest::ProgramUnderTest show(program, {"/show"});
  // The drop is made inside the answer to a state request that finds the
  // scan running: the player waits there for the answer to be taken, so it
  // treats the drop during the scan, whatever the machine's speed.
  bool dropped = false;
  std::string seen;
  client.WhileReplying = [&](const std::string& reply) {
    if (dropped || reply.find("Busy=1") == std::string::npos) return;
    dropped = true;
    seen = reply;
    auto answer = client.Request(appWindow, {"drop", "Form1", "", b, a});
    EXPECT_TRUE(answer && answer->ok);
  };
  const bool caught = svtest::WaitUntil(
      [&] {
        State();
        return dropped || Value("TreeComplete") == "1";
      },
      120000);
  client.WhileReplying = nullptr;
  ASSERT_TRUE(caught && dropped) << "the scan was never seen running";
  EXPECT_NE(seen.find("TreeComplete=0"), std::string::npos) << seen;
  ASSERT_TRUE(WaitFor("TreeComplete", "1", 120000));
  ASSERT_TRUE(WaitFor("Entries", "2"));
  auto state = State();
  EXPECT_EQ(state["Entry0"], a);
  EXPECT_EQ(state["Entry1"], b);
  EXPECT_EQ(state["CurrentIndex"], "0");
  Quit();
}

}  // namespace
}  // namespace playertest
