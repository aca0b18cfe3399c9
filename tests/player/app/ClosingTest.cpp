// The start and the close when the own playlist cannot be read or written:
// the player always finishes starting, always ends, and never overwrites a
// list it could not read.
#include <tuple>
#include <vector>

#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {
namespace {

using Closing = PlayerProgram;

// A folder where the own playlist should be: nothing can replace it.
void BlockThePlaylist(const svtest::TempFolder& folder) {
  std::filesystem::create_directories(folder / "Sorivanel.m3u");
}

TEST_F(Closing, AListThatCannotBeWrittenIsReportedAndThePlayerStillEnds) {
  // The bar takes the saved volume, not the system level.
  Prepare("ReglageVolumeGlobal=0\r\n[LECT]\r\nVolume=33\r\n");
  BlockThePlaylist(folder);
  Start({}, true);
  Quit();
  const auto boxes = watcher->Seen();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("Sorivanel.m3u"), std::string::npos) << boxes[0].text;
  // The steps before it and after it were done.
  EXPECT_EQ(Settings().ReadInteger("LECT", "Index", 99), -1);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Volume", 0), 33);
  EXPECT_TRUE(std::filesystem::is_directory(folder / "Sorivanel.m3u"));
  for (const char* key : {"120", "123"}) EXPECT_EQ(svtest::RunProbe({"hotkey", "2", key}).exitCode, 0u) << key;
}

TEST_F(Closing, NothingHandedOverDuringTheCloseIsTreated) {
  Prepare();
  BlockThePlaylist(folder);
  const std::string a = Place("long.wav", "a.wav");
  Start();
  // The close's error box keeps the main window alive, and with it the
  // hand-over's way in.
  watcher.reset();
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  const HWND box = svtest::WaitForWindow("#32770", "", 30000, player->Id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(Second({a}), 0u);
  EXPECT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(player->Running());
  EXPECT_EQ(Value("Entries"), "0");
  EXPECT_EQ(Value("Channel"), "0");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(player->WaitForExit(30000));
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
}

// Held open without sharing, as another program may hold it.
HANDLE LockFile(const std::filesystem::path& path) {
  return CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST_F(Closing, AnUnreadableListIsReportedAndAListMadeMeanwhileIsNotLost) {
  const std::string list = "#EXTM3U\r\na.wav\r\n";
  Prepare("[LECT]\r\nIndex=0\r\n", list);
  Place("a.wav");
  const std::string b = Place("b.wav");
  HANDLE lock = LockFile(folder / "Sorivanel.m3u");
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Start({}, true);
  CloseHandle(lock);
  // Said at the start, and the start-up still finished.
  ASSERT_TRUE(watcher->WaitForBoxes(1, 30000)) << "the unreadable list was not reported";
  EXPECT_NE(watcher->Seen()[0].text.find("Sorivanel.m3u"), std::string::npos) << watcher->Seen()[0].text;
  EXPECT_EQ(Value("Entries"), "0");
  EXPECT_EQ(Value("TrayIcon"), "1");
  EXPECT_EQ(Second({"/show"}), 0u);
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  // Nothing was made: the list is left as it is.
  Quit();
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), list);

  // A list made while the file is still held goes beside it, and the close
  // says where.
  lock = LockFile(folder / "Sorivanel.m3u");
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Start({}, true);
  ASSERT_TRUE(watcher->WaitForBoxes(1, 30000));
  EXPECT_EQ(Second({b}), 0u);
  ASSERT_TRUE(WaitFor("Entries", "1"));
  Quit();
  CloseHandle(lock);
  const auto boxes = watcher->Seen();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_NE(boxes[1].text.find("Sorivanel (2).m3u"), std::string::npos) << boxes[1].text;
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), list);
  const std::string beside = folder.Read("Sorivanel (2).m3u").value_or("");
  EXPECT_EQ(beside.rfind("#EXTM3U\r\n", 0), 0u) << beside;
  EXPECT_NE(beside.find("\r\nb.wav\r\n"), std::string::npos) << beside;

  // Started with a file, as a double click in the file manager does, and
  // released before the close: the list the player could not read is still
  // never replaced; the list made goes beside it, and the close says where.
  const auto startHeldWith = [&](const std::string& song) {
    HANDLE held = LockFile(folder / "Sorivanel.m3u");
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Start({song}, true);
    ASSERT_TRUE(watcher->WaitForBoxes(1, 30000));
    CloseHandle(held);
    ASSERT_TRUE(WaitFor("Entries", "1"));
  };
  startHeldWith(b);
  Quit();
  ASSERT_EQ(watcher->Seen().size(), 2u);
  EXPECT_NE(watcher->Seen()[1].text.find("Sorivanel (3).m3u"), std::string::npos) << watcher->Seen()[1].text;
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), list);
  EXPECT_NE(folder.Read("Sorivanel (3).m3u").value_or("").find("\r\nb.wav\r\n"), std::string::npos);

  // The same at the end of the Windows session: saved beside at once, and
  // said.
  startHeldWith(b);
  svtest::SendTo(mainWindow, WM_QUERYENDSESSION, 0, 0);
  svtest::SendTo(mainWindow, WM_ENDSESSION, TRUE, 0);
  ASSERT_TRUE(watcher->WaitForBoxes(2, 30000)) << "the end of the session did not say where the list went";
  EXPECT_NE(watcher->Seen()[1].text.find("Sorivanel (4).m3u"), std::string::npos) << watcher->Seen()[1].text;
  ASSERT_TRUE(player->WaitForExit(30000));
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), list);
  EXPECT_NE(folder.Read("Sorivanel (4).m3u").value_or("").find("\r\nb.wav\r\n"), std::string::npos);
}

// A list written by a program of a Cyrillic system: its names come back
// through the system's code page, and the close writes them as UTF-8.
TEST_F(Closing, AListInTheSystemCodePageKeepsItsNames) {
  // The player inherits the code page of this run.
  if (GetACP() != 1251) GTEST_SKIP() << "needs the Windows code page 1251 (the player_app_code_page run)";
  // "#EXTINF:-1,Песня" and "песня.wav" in Windows-1251.
  Prepare("[LECT]\r\nIndex=0\r\n", "#EXTM3U\r\n#EXTINF:-1,\xCF\xE5\xF1\xED\xFF\r\n\xEF\xE5\xF1\xED\xFF.wav\r\n");
  Place("a.wav", "песня.wav");
  Start();
  EXPECT_EQ(Value("Entry0"), PathOf("песня.wav"));
  EXPECT_EQ(Value("Item0", "ListBox1"), " Песня");
  Quit();
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:-1,Песня\r\nпесня.wav\r\n");
}

// What only a shown window knows, with sentinels the window would never
// write: a comma as decimal separator, a tree view width and expanded
// nodes that no tree gives.
constexpr char kWindowKeys[] =
    "Largeur=333\r\nHauteur=444\r\nLargeurTreeView=77\r\nLastShownIndex=2\r\n"
    "[LECT]\r\nTemps=2\r\nEQ1=1,5\r\nEQ5=-2,25\r\n";

TEST_F(Closing, OnlyARunThatShowedTheWindowWritesWhatTheWindowKnows) {
  Prepare(std::string("Skin=default\r\n") + kWindowKeys);
  Start();
  Quit();
  auto ini = Settings();
  for (const auto& [section, key, value] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"LECT", "Temps", "2"}, {"LECT", "EQ1", "1,5"}, {"LECT", "EQ5", "-2,25"}, {"DATA", "Largeur", "333"},
           {"DATA", "Hauteur", "444"}, {"DATA", "LargeurTreeView", "77"}, {"DATA", "LastShownIndex", "2"}})
    EXPECT_EQ(ini.ReadString(section, key, "<none>"), value) << key;
  EXPECT_EQ(ini.ReadString("LECT", "Index", ""), "-1");
  EXPECT_EQ(ini.ReadString("DATA", "Skin", ""), "default");
  EXPECT_FALSE(folder.Exists("Sorivanel.tree"));

  // Shown once: the gains come back with a point, the time mode and the
  // window's size as they are.
  Start();
  EXPECT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  Quit();
  ini = Settings();
  EXPECT_EQ(ini.ReadString("LECT", "EQ1", ""), "1.5");
  EXPECT_EQ(ini.ReadString("LECT", "EQ5", ""), "-2.25");
  EXPECT_EQ(ini.ReadString("LECT", "Temps", ""), "2");
  EXPECT_EQ(ini.ReadString("DATA", "Largeur", ""), "333");
}

TEST_F(Closing, TheEndOfTheSessionDuringADialogSavesAtOnceAndEndsAfterIt) {
  const std::string list = "#EXTM3U\r\n#EXTINF:-1,Song\r\na.wav\r\n";
  Prepare("ReglageVolumeGlobal=0\r\n[LECT]\r\nVolume=27\r\nIndex=0\r\n", list);
  Place("a.wav");
  Start();
  watcher.reset();
  // The open dialog holds the main window in a loop of its own.
  EXPECT_EQ(Second({"/open"}), 0u);
  const HWND dialog = svtest::WaitForWindow("#32770", "", 15000, player->Id());
  ASSERT_NE(dialog, nullptr);
  std::filesystem::remove(folder / "Sorivanel.m3u");
  folder.Write("Sorivanel.ini", "[DATA]\r\nCheckNouvelleVersion=0\r\n");
  EXPECT_EQ(svtest::SendTo(mainWindow, WM_QUERYENDSESSION, 0, 0), 1);
  svtest::SendTo(mainWindow, WM_ENDSESSION, TRUE, 0);
  // Saved before the answer.
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), list);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Volume", 0), 27);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Index", 99), 0);
  ASSERT_TRUE(player->WaitForExit(30000)) << "the player did not end";
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
}

TEST_F(Closing, ATreeCacheThatCannotBeWrittenStopsNothingElse) {
  const std::string list = "#EXTM3U\r\n#EXTINF:-1,Song\r\na.wav\r\n";
  Prepare("ReglageVolumeGlobal=0\r\nExpandedNodes=3,4\r\n[LECT]\r\nVolume=19\r\n", list);
  Place("a.wav");
  std::filesystem::create_directories(folder / "Sorivanel.tree");
  Start({}, true);
  EXPECT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  std::filesystem::remove(folder / "Sorivanel.m3u");
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  ASSERT_TRUE(player->WaitForExit(60000)) << "the player did not end";
  EXPECT_LE(watcher->Seen().size(), 1u);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Volume", 0), 19);
  // The expanded nodes count in the tree that was not written.
  EXPECT_EQ(Settings().ReadString("DATA", "ExpandedNodes", ""), "3,4");
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), list);
}

}  // namespace
}  // namespace playertest
