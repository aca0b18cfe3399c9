// The start and the close when the own playlist cannot be read or written:
// the player always finishes starting, always ends, and never overwrites a
// list it could not read.
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

TEST_F(Closing, AnUnreadableListStartsEmptyAndIsLeftAsItIs) {
  const std::string list = "#EXTM3U\r\na.wav\r\n";
  Prepare("[LECT]\r\nIndex=0\r\n", list);
  Place("a.wav");
  // Held open without sharing while the player starts.
  HANDLE lock = CreateFileW((folder / "Sorivanel.m3u").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Start();
  CloseHandle(lock);
  EXPECT_EQ(Value("Entries"), "0");
  EXPECT_EQ(Value("TrayIcon"), "1");
  // The start-up finished: hand-overs are treated, not held.
  EXPECT_EQ(Second({"/show"}), 0u);
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  Quit();
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), list);
}

}  // namespace
}  // namespace playertest
