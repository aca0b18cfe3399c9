// The playback road in the running player: the saved playlist and entry,
// skipping, the end of the list, pause and resume, shuffle and previous.
#include "tests/player/app/PlayerTestSupport.h"
#include "tests/sono/win32/RadioServer.h"

#include <cstdlib>
#include <thread>

namespace playertest {
namespace {

using Playback = PlayerProgram;
using namespace std::chrono_literals;

std::string List(const std::vector<std::string>& lines) {
  std::string text = "#EXTM3U\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

TEST_F(Playback, SavedPlaylistAndEntryComeBackAndAreWrittenBack) {
  Prepare("[LECT]\r\nIndex=1\r\nPosition=1234\r\nLengthB=16000\r\n",
          List({"#EXTINF:-1,My Radio", "http://127.0.0.1:9/radio", "#EXTINF:-1,", "a.wav", "gone.mp3", "notes.txt",
                "# a comment"}));
  Place("a.wav");
  Start();
  auto list = State("ListBox1");
  EXPECT_EQ(list["Count"], "3");
  EXPECT_EQ(list["Item0"], " My Radio");
  EXPECT_EQ(list["Item1"], " a.wav");
  EXPECT_EQ(list["Item2"], " No File... gone.mp3");
  EXPECT_EQ(Value("CurrentIndex"), "1");
  EXPECT_EQ(Value("Position", "ProgressBar1"), "1234");
  Quit();
  const sv::IniFile ini = Settings();
  EXPECT_EQ(ini.ReadInteger("LECT", "Index", 0), 1);
  EXPECT_EQ(ini.ReadInt64("LECT", "Position", 0), 1234);
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""),
            "#EXTM3U\r\n#EXTINF:-1,My Radio\r\nhttp://127.0.0.1:9/radio\r\n#EXTINF:-1,a.wav\r\na.wav\r\ngone.mp3\r\n");
}

TEST_F(Playback, AnIndexOutsideTheListSelectsNothing) {
  Prepare("[LECT]\r\nIndex=50\r\n", List({"a.wav"}));
  Place("a.wav");
  Start();
  EXPECT_EQ(Value("CurrentIndex"), "-1");
  Quit();
  EXPECT_EQ(Settings().ReadInteger("LECT", "Index", 0), -1);
}

TEST_F(Playback, AListOfMissingFilesEndsAtItsStartEntry) {
  Prepare("[LECT]\r\nIndex=1\r\n", List({"x.wav", "y.wav", "z.wav"}));
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Value("CurrentIndex"), "1");
  EXPECT_EQ(Value("Channel"), "0");
  Quit();
}

TEST_F(Playback, TheEndOfTheListWithoutLoopStaysStopped) {
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n", List({"a.wav", "b.wav"}));
  Place("a.wav");
  Place("b.wav");
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  // Both songs play to their end, then the list rests on its first entry.
  ASSERT_TRUE(svtest::WaitUntil([&] {
    auto state = State();
    return state["Channel"] == "0" && state["CurrentIndex"] == "0";
  }, 30000));
  std::this_thread::sleep_for(1500ms);
  EXPECT_EQ(Value("Channel"), "0");
  EXPECT_EQ(Value("CurrentIndex"), "0");
  Quit();
}

TEST_F(Playback, InstantlyEndingFilesWithLoopDoNotBringThePlayerDown) {
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=1\r\n", List({"z1.wav", "z2.wav", "z3.wav"}));
  for (const char* name : {"z1.wav", "z2.wav", "z3.wav"}) Place("zero.wav", name);
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  std::this_thread::sleep_for(2s);
  ASSERT_TRUE(player->Running());
  EXPECT_NE(Value("Entries"), "<none>");
  Quit();
}

TEST_F(Playback, NextAndTheEndOfASongEachMoveOneEntry) {
  Prepare("[LECT]\r\nIndex=0\r\n", List({"long.wav", "long1.wav", "a.wav", "c.wav", "long2.wav"}));
  Place("long.wav");
  Place("long.wav", "long1.wav");
  Place("a.wav");
  Place("c.wav");
  Place("long.wav", "long2.wav");
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Second({"/next"}), 0u);
  EXPECT_EQ(Value("CurrentIndex"), "1");
  EXPECT_EQ(Value("Playing"), "1");
  EXPECT_EQ(Second({"/next"}), 0u);
  // a.wav and c.wav last a second each; then the long one plays on.
  ASSERT_TRUE(WaitFor("CurrentIndex", "4"));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(Value("CurrentIndex"), "4");
  EXPECT_EQ(Value("Playing"), "1");
  Quit();
}

TEST_F(Playback, PauseAndResumeKeepThePosition) {
  Prepare("[LECT]\r\nIndex=0\r\n", List({"long.wav"}));
  Place("long.wav");
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  // Half a second in (bytes: 8 kHz, 16-bit mono).
  ASSERT_TRUE(svtest::WaitUntil([&] { return std::stoll(Value("Position", "ProgressBar1")) > 8000; }, 30000));
  EXPECT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Value("Channel"), "0");
  const long long paused = std::stoll(Value("Position", "ProgressBar1"));
  EXPECT_GT(paused, 8000);
  EXPECT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Value("Playing"), "1");
  EXPECT_EQ(Second({"/play"}), 0u);
  // Resumed where it was, not from the start.
  const long long again = std::stoll(Value("Position", "ProgressBar1"));
  EXPECT_GE(again, paused);
  // A press in the middle of the seek bar, while paused, moves the resume
  // point to the middle of the song (20 s: 320,000 bytes).
  auto clicked = client.Request(appWindow, {"click", "Form1", "ProgressBar1"});
  ASSERT_TRUE(clicked && clicked->ok);
  ASSERT_TRUE(svtest::WaitUntil([&] { return std::stoll(Value("Position", "ProgressBar1")) > 150000; }));
  const long long middle = std::stoll(Value("Position", "ProgressBar1"));
  EXPECT_NEAR(middle, 160000, 8000);
  EXPECT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Second({"/play"}), 0u);
  const long long resumed = std::stoll(Value("Position", "ProgressBar1"));
  EXPECT_GE(resumed, middle);
  Quit();
  EXPECT_EQ(Settings().ReadInt64("LECT", "Position", 0), resumed);
}

TEST_F(Playback, PreviousRestartsAfterASecondElseGoesBack) {
  Prepare("[LECT]\r\nIndex=1\r\n", List({"long0.wav", "long.wav"}));
  Place("long.wav", "long0.wav");
  Place("long.wav");
  Start();
  // Nothing has played of the current entry: previous goes back.
  EXPECT_EQ(Second({"/prev"}), 0u);
  EXPECT_EQ(Value("CurrentIndex"), "0");
  EXPECT_EQ(Second({"/next"}), 0u);
  EXPECT_EQ(Value("CurrentIndex"), "1");
  // Past its first second the same entry starts again.
  ASSERT_TRUE(svtest::WaitUntil([&] { return std::stof(Value("ElapsedSeconds")) >= 1.0f; }, 30000));
  EXPECT_EQ(Second({"/prev"}), 0u);
  EXPECT_EQ(Value("CurrentIndex"), "1");
  EXPECT_EQ(Value("Playing"), "1");
  Quit();
}

TEST_F(Playback, ShuffleKeepsAShortHistory) {
  Prepare("[LECT]\r\nIndex=0\r\nShuffle=1\r\n", List({"l1.wav", "l2.wav", "l3.wav", "l4.wav"}));
  for (const char* name : {"l1.wav", "l2.wav", "l3.wav", "l4.wav"}) Place("long.wav", name);
  Start();
  for (int i = 0; i < 8; ++i) EXPECT_EQ(Second({"/next"}), 0u);
  EXPECT_LE(std::stoi(Value("ShuffleHistory")), 3);
  EXPECT_EQ(Value("Playing"), "1");
  Quit();
  EXPECT_EQ(Settings().ReadInteger("LECT", "Shuffle", 0), 1);
}

TEST_F(Playback, CoversFollowTheSongAndABadPictureOnlyHidesThePreview) {
  Prepare("[LECT]\r\nIndex=0\r\n",
          List({"cover1.mp3", "cover2.mp3", "withfolder\\a.wav", "bad\\a.wav", "none\\a.wav"}));
  Place("cover1.mp3");
  Place("cover2.mp3");
  for (const char* sub : {"withfolder", "bad", "none"}) {
    std::filesystem::create_directories(folder / sub);
    Place("long.wav", std::string(sub) + "/a.wav");
  }
  folder.CopyIn(svtest::BuiltFile("tests/player/cover-fixtures/grey-120x80.jpg"), "withfolder/Folder.jpg");
  folder.Write("bad/folder.jpg", std::string("\xFF\xD8\xFF\xE0 not really a picture", 28));
  Start();
  auto image = State("ImgPreviewAlbum");
  EXPECT_EQ(image["HasPicture"], "1");
  // 150x200 is decoded at half size; the panel is 100 high and 75 wide,
  // 25 from the right of the lists' panel (290 wide before a skin).
  EXPECT_EQ(image["PictureWidth"], "75");
  EXPECT_EQ(State("PanelPreviewAlbum")["Bounds"], "190,10,75,100");
  const std::string first = image["PictureChecksum"];

  EXPECT_EQ(Second({"/next"}), 0u);
  image = State("ImgPreviewAlbum");
  EXPECT_EQ(image["HasPicture"], "1");
  // 400x300 is decoded at a quarter.
  EXPECT_EQ(image["PictureWidth"], "100");
  EXPECT_NE(image["PictureChecksum"], first);

  EXPECT_EQ(Second({"/next"}), 0u);
  EXPECT_EQ(Value("Cover"), PathOf("withfolder\\Folder.jpg"));
  EXPECT_EQ(Value("PictureWidth", "ImgPreviewAlbum"), "120");

  EXPECT_EQ(Second({"/next"}), 0u);
  EXPECT_EQ(Value("HasPicture", "ImgPreviewAlbum"), "0");
  EXPECT_EQ(Value("Visible", "PanelPreviewAlbum"), "0");
  EXPECT_EQ(Value("Playing"), "1");

  EXPECT_EQ(Second({"/next"}), 0u);
  EXPECT_EQ(Value("HasPicture", "ImgPreviewAlbum"), "0");
  Quit();
  EXPECT_FALSE(folder.Exists("temp.jpg"));
}

TEST_F(Playback, ANextHandledWhileACoverIsShownLeavesTheNewSongsCover) {
  Prepare("[LECT]\r\nIndex=0\r\n", List({"long.wav", "cover1.mp3", "cover2.mp3"}));
  Place("long.wav");
  Place("cover1.mp3");
  Place("cover2.mp3");
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  // Two presses of "next" wait in the queue of the held window thread: the
  // second is handled while the first shows its cover.
  const HANDLE gui = OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(mainWindow, nullptr));
  ASSERT_NE(gui, nullptr);
  ASSERT_NE(SuspendThread(gui), static_cast<DWORD>(-1));
  INPUT keys[6] = {};
  for (INPUT& input : keys) input.type = INPUT_KEYBOARD;
  keys[0].ki.wVk = VK_CONTROL;
  for (int i : {1, 3}) {
    keys[i].ki.wVk = VK_F11;
    keys[i + 1].ki.wVk = VK_F11;
    keys[i + 1].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  keys[5].ki.wVk = VK_CONTROL;
  keys[5].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(6, keys, sizeof(INPUT));
  std::this_thread::sleep_for(500ms);
  ResumeThread(gui);
  CloseHandle(gui);
  ASSERT_TRUE(WaitFor("CurrentIndex", "2"));
  ASSERT_TRUE(WaitFor("Playing", "1"));
  EXPECT_EQ(Value("Cover").rfind(PathOf("cover2.mp3") + "|", 0), 0u) << Value("Cover");
  Quit();
}

TEST_F(Playback, ARadioStreamShowsItsStationAndTitles) {
  const std::string mp3 = svtest::ReadFileBytes(Fixture("cover1.mp3")).value_or("");
  ASSERT_FALSE(mp3.empty());
  sono_test::RadioServer station(mp3, {"StreamTitle='Artist - Song';"});
  const std::string url = "http://127.0.0.1:" + std::to_string(station.Port()) + "/live";
  Prepare("[LECT]\r\nIndex=0\r\n", List({"#EXTINF:-1,My Station", url}));
  Start();
  EXPECT_EQ(Value("Item0", "ListBox1"), " My Station");
  EXPECT_EQ(Second({"/play"}), 0u);
  EXPECT_TRUE(WaitFor("Item0", " Loopback FM", 30000, "ListBox1"));
  EXPECT_TRUE(WaitFor("Bubble", " Artist - Song"));
  EXPECT_EQ(Value("TrayHint"), "Sorivanel\\r\\n Artist - Song");
  EXPECT_EQ(Value("Playing"), "1");
  Quit();
  EXPECT_NE(station.Request().find("GET /live"), std::string::npos);
}

// Run by recorded_run.sh, which records the sound device meanwhile and
// checks the three tones in the recording.
TEST_F(Playback, PlaysTheListInOrderToTheSoundDevice) {
  if (!std::getenv("SV_RECORDING")) GTEST_SKIP() << "needs the recording harness";
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n", List({"a.wav", "b.wav", "c.wav"}));
  Place("a.wav");
  Place("b.wav");
  Place("c.wav");
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  // The three songs play to their end (the recording tells their order),
  // then the list rests on its first entry.
  ASSERT_TRUE(svtest::WaitUntil([&] {
    auto state = State();
    return state["Channel"] == "0" && state["CurrentIndex"] == "0";
  }, 30000));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(Value("CurrentIndex"), "0");
  Quit();
}

// Recorded by recorded_run.sh, whose checker bounds the silence between
// the two tones.
TEST_F(Playback, TheNextSongFollowsWithoutSilence) {
  if (!std::getenv("SV_RECORDING")) GTEST_SKIP() << "needs the recording harness";
  const ManagedWindows managed;
  // The shipped settings: the window stays in the tray and the info bubble
  // announces each song.
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n", List({"a.wav", "b.wav"}));
  Place("a.wav");
  Place("b.wav");
  Start();
  ASSERT_EQ(Value("FormShown"), "0");
  EXPECT_EQ(Second({"/play"}), 0u);
  // The bubble announced the second song too.
  EXPECT_TRUE(svtest::WaitUntil([&] {
    return FormState("FormInfoBulle")["Text"].find("b.wav") != std::string::npos;
  }, 30000));
  ASSERT_TRUE(svtest::WaitUntil([&] {
    auto state = State();
    return state["Channel"] == "0" && state["CurrentIndex"] == "0";
  }, 30000));
  Quit();
}

}  // namespace
}  // namespace playertest
