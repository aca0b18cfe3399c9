// The player as one instance: a second start hands its arguments over, and
// every argument takes the command road.
#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {
namespace {

using Commands = PlayerProgram;

TEST_F(Commands, SecondStartWithoutArgumentsShowsThenHidesTheWindow) {
  Start();
  EXPECT_FALSE(IsWindowVisible(mainWindow));
  EXPECT_EQ(Second({}), 0u);
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  EXPECT_EQ(Second({}), 0u);
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) == FALSE; }));
  // "/Play" is no play switch: it toggles the window too.
  EXPECT_EQ(Second({"/Play"}), 0u);
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  EXPECT_EQ(Value("Channel"), "0");
  Quit();
}

TEST_F(Commands, ArgumentsOfASecondStartAreTreatedInOrderAndLeaveNoAtoms) {
  Prepare();
  // Songs long enough to be still current when the state is read.
  const std::string a = Place("long.wav", "a.wav"), b = Place("long.wav", "b.wav"), c = Place("long.wav", "c.wav");
  Start();
  EXPECT_EQ(Second({c, a, b}), 0u);
  auto state = State();
  EXPECT_EQ(state["Entries"], "3");
  EXPECT_EQ(state["Entry0"], c);
  EXPECT_EQ(state["Entry1"], a);
  EXPECT_EQ(state["Entry2"], b);
  // The last one was added with Play, so it plays.
  EXPECT_EQ(state["CurrentIndex"], "2");
  Quit();
  for (const std::string& path : {a, b, c})
    EXPECT_NE(svtest::RunProbe({"atom", path}).exitCode, 0u) << "atom left behind: " << path;
  const std::string m3u = folder.Read("Sorivanel.m3u").value_or("");
  EXPECT_EQ(m3u.find("c.wav"), m3u.find("\r\nc.wav") + 2);
  EXPECT_LT(m3u.find("c.wav"), m3u.find("a.wav"));
  EXPECT_LT(m3u.find("a.wav"), m3u.find("b.wav"));
}

TEST_F(Commands, FirstInstanceTreatsOnlyItsFirstArgument) {
  Prepare();
  const std::string a = Place("a.wav"), b = Place("b.wav");
  Start({a, b});
  EXPECT_TRUE(WaitFor("Entries", "1"));
  EXPECT_EQ(Value("Entry0"), a);
  Quit();
}

TEST_F(Commands, LongUnicodeUrlAndUnplayableArgumentsAreSafe) {
  Prepare();
  const std::string unicode = Place("a.wav", "Café Привет 音楽.wav");
  folder.Write("notes.txt", "not audio");
  Start();
  EXPECT_EQ(Second({std::string(300, 'x'), "http://127.0.0.1:9/radio", PathOf("notes.txt"), PathOf("gone.wav")}), 0u);
  EXPECT_EQ(Value("Entries"), "0");
  EXPECT_EQ(Second({unicode}), 0u);
  EXPECT_EQ(Value("Entry0"), unicode);
  Quit();
  const std::string m3u = folder.Read("Sorivanel.m3u").value_or("");
  EXPECT_NE(m3u.find("Привет"), std::string::npos) << m3u;
}

TEST_F(Commands, SkinSwitchStaysInsideTheSkinFolder) {
  Prepare();
  std::filesystem::create_directories(folder / "skin/dark");
  std::filesystem::create_directories(folder / "evil");
  folder.Write("skin/dark/skin.ini", "[Skin]\r\n");
  folder.Write("evil/skin.ini", "[Skin]\r\n");
  Start();
  EXPECT_EQ(Second({"/skin:..\\evil"}), 0u);
  EXPECT_EQ(Second({"/skin:nothere"}), 0u);
  Quit();
  EXPECT_EQ(Settings().ReadString("DATA", "Skin", ""), "default");

  Start();
  EXPECT_EQ(Second({"/SKIN:dark"}), 0u);
  Quit();
  EXPECT_EQ(Settings().ReadString("DATA", "Skin", ""), "dark");
}

TEST_F(Commands, FolderReplacesTheListWithItsOwnFilesOnly) {
  Prepare();
  std::filesystem::create_directories(folder / "album/sub");
  Place("long.wav", "album/02.wav");
  Place("long.wav", "album/01.WAV");
  Place("c.wav", "album/sub/03.wav");
  folder.Write("album/cover.txt", "x");
  Start();
  const std::string first = Place("c.wav", "first.wav");
  EXPECT_EQ(Second({first}), 0u);
  EXPECT_EQ(Second({PathOf("album")}), 0u);
  auto state = State();
  EXPECT_EQ(state["Entries"], "2");
  EXPECT_EQ(state["Entry0"], PathOf("album\\01.WAV"));
  EXPECT_EQ(state["Entry1"], PathOf("album\\02.wav"));
  EXPECT_EQ(state["CurrentIndex"], "0");
  Quit();
}

TEST_F(Commands, RelativeArgumentsResolveAgainstTheFolderTheyWereGivenIn) {
  Prepare();
  std::filesystem::create_directories(folder / "music/more");
  for (const char* name : {"music/t1.wav", "music/t2.wav", "music/t3.wav", "music/more/t4.wav"}) Place("long.wav", name);
  const std::string t1 = PathOf("music\\t1.wav"), t2 = PathOf("music\\t2.wav"), t3 = PathOf("music\\t3.wav"),
                    t4 = PathOf("music\\more\\t4.wav");
  folder.Write("music/list.m3u", "#EXTM3U\r\nt1.wav\r\nt2.wav\r\n");
  // Started in the music folder with a list named relative to it; the
  // player itself works from its own folder.
  Start({"list.m3u"}, false, folder / "music");
  auto state = State();
  EXPECT_EQ(state["Entries"], "2");
  EXPECT_EQ(state["Entry0"], t1);
  EXPECT_EQ(state["Entry1"], t2);
  EXPECT_EQ(state["CurrentIndex"], "0");
  EXPECT_EQ(state["Channel"], "1");
  // A second start hands over names relative to its own folder.
  EXPECT_EQ(SecondIn(folder / "music", {"/next"}), 0u);
  EXPECT_EQ(SecondIn(folder / "music", {"t3.wav", ".\\more\\..\\more\\t4.wav"}), 0u);
  state = State();
  EXPECT_EQ(state["Entries"], "4");
  EXPECT_EQ(state["Entry2"], t3);
  EXPECT_EQ(state["Entry3"], t4);
  EXPECT_EQ(SecondIn(folder / "music", {"more"}), 0u);
  state = State();
  EXPECT_EQ(state["Entries"], "1");
  EXPECT_EQ(state["Entry0"], t4);
  Quit();
  // Saved as the own list saves: relative to the player's folder.
  const std::string saved = folder.Read("Sorivanel.m3u").value_or("");
  EXPECT_NE(saved.find("\r\nmusic\\more\\t4.wav\r\n"), std::string::npos) << saved;
}

TEST_F(Commands, AFolderNamedLikeAPlaylistIsAFolder) {
  Prepare();
  std::filesystem::create_directories(folder / "Best.m3u");
  std::filesystem::create_directories(folder / "Mix.pls");
  Place("long.wav", "Best.m3u/01.wav");
  Place("long.wav", "Mix.pls/02.wav");
  const std::string best = PathOf("Best.m3u\\01.wav"), mix = PathOf("Mix.pls\\02.wav");
  Start({PathOf("Best.m3u")});
  EXPECT_EQ(Value("Entries"), "1");
  EXPECT_EQ(Value("Entry0"), best);
  EXPECT_EQ(Second({PathOf("Mix.pls")}), 0u);
  EXPECT_EQ(Value("Entry0"), mix);
  auto reply = client.Request(appWindow, {"drop", "Form1", "", PathOf("Best.m3u")});
  ASSERT_TRUE(reply && reply->ok);
  EXPECT_TRUE(WaitFor("Entry0", best));
  ASSERT_TRUE(player->Running());
  Quit();
}

TEST_F(Commands, PlaylistsGivenAsArgumentsReplaceTheList) {
  Prepare();
  Place("a.wav");
  Place("b.wav");
  folder.Write("list.m3u", "#EXTM3U\r\n#EXTINF:-1,First title\r\na.wav\r\nnotes.txt\r\nb.wav\r\n");
  folder.Write("list.pls", "[playlist]\r\nFile1=b.wav\r\nTitle1=From pls\r\nFile2=a.wav\r\nFile4=c.wav\r\n");
  Start();
  EXPECT_EQ(Second({PathOf("list.m3u")}), 0u);
  auto state = State();
  EXPECT_EQ(state["Entries"], "2");
  EXPECT_EQ(state["Entry0"], PathOf("a.wav"));
  EXPECT_EQ(Value("Item0", "ListBox1"), " First title");
  EXPECT_EQ(Second({PathOf("list.pls")}), 0u);
  EXPECT_EQ(Value("Entries"), "2");
  EXPECT_EQ(Value("Item0", "ListBox1"), "From pls");
  EXPECT_EQ(Value("Entry1"), PathOf("a.wav"));
  Quit();
}

TEST_F(Commands, DroppedFilesAreSortedAndOnlyTheFirstPlays) {
  Prepare();
  const std::string b = Place("long.wav", "b.wav"), a = Place("long.wav", "A.wav");
  // A path longer than the old 260-character buffers arrives whole.
  const std::string deep = "d" + std::string(120, 'e') + "/" + std::string(120, 'f');
  std::filesystem::create_directories(folder / deep);
  const std::string longPath = Place("c.wav", deep + "/c.wav");
  ASSERT_GT(longPath.size(), 260u);
  Start();
  auto reply = client.Request(appWindow, {"drop", "Form1", "", b, longPath, a});
  ASSERT_TRUE(reply && reply->ok);
  ASSERT_TRUE(WaitFor("Entries", "3"));
  auto state = State();
  EXPECT_EQ(state["Entry0"], a);
  EXPECT_EQ(state["Entry1"], b);
  EXPECT_EQ(state["Entry2"], longPath);
  EXPECT_EQ(state["CurrentIndex"], "0");
  Quit();
}

TEST_F(Commands, HotKeysAreHeldWhileRunningAndFreedAtTheEnd) {
  Prepare("[HOTKEYS]\r\nVolUpActive=0\r\n");
  Start();
  constexpr const char* kCtrl = "2";
  // Ctrl+F9 (play) is held; Ctrl+Up (volume up) is switched off.
  EXPECT_EQ(svtest::RunProbe({"hotkey", kCtrl, "120"}).exitCode, 1409u);
  EXPECT_EQ(svtest::RunProbe({"hotkey", kCtrl, "123"}).exitCode, 1409u);
  EXPECT_EQ(svtest::RunProbe({"hotkey", kCtrl, "38"}).exitCode, 0u);
  Quit();
  EXPECT_EQ(svtest::RunProbe({"hotkey", kCtrl, "120"}).exitCode, 0u);
  EXPECT_EQ(svtest::RunProbe({"hotkey", kCtrl, "123"}).exitCode, 0u);
}

TEST_F(Commands, HotKeysActOnPlayback) {
  Prepare("[LECT]\r\nIndex=0\r\n", "#EXTM3U\r\nlong.wav\r\nlong2.wav\r\n");
  Place("long.wav");
  Place("long.wav", "long2.wav");
  Start();
  const auto press = PressWithCtrl;
  press(VK_F9);  // play
  EXPECT_TRUE(WaitFor("Playing", "1"));
  press(VK_F11);  // next
  EXPECT_TRUE(WaitFor("CurrentIndex", "1"));
  press(VK_RIGHT);  // forward 5 s
  EXPECT_TRUE(svtest::WaitUntil([&] { return std::stoll(Value("Position", "ProgressBar1")) >= 80000; }));
  const std::string volume = Value("Position", "ProgressBar2");
  press(VK_DOWN);  // volume down 3
  EXPECT_TRUE(WaitFor("Position", std::to_string(std::stoi(volume) - 3), 5000, "ProgressBar2"));
  Quit();
}

TEST_F(Commands, PluginExtensionsArePlayable) {
  Prepare();
  folder.CopyIn(svtest::BuiltFile("tests/sono/win32/sonotest.dll"));
  folder.Write("x.foo", "tone");
  folder.Write("x.baz", "tone");
  Start();
  EXPECT_EQ(Second({PathOf("x.baz")}), 0u);
  EXPECT_EQ(Value("Entries"), "0");
  EXPECT_EQ(Second({PathOf("x.foo")}), 0u);
  EXPECT_EQ(Value("Entries"), "1");
  Quit();
}

TEST_F(Commands, ADeviceThatFailsIsReportedAndTheDefaultOneIsUsed) {
  Prepare("[SOUND_DEVICE]\r\nDEVICE=99\r\n");
  svtest::LaunchOptions options;
  options.workingFolder = folder.Path();
  player = std::make_unique<svtest::ProgramUnderTest>(program, std::vector<std::string>{}, options);
  svtest::MessageBoxWatcher boxes(player->Id(), svtest::MessageBoxWatcher::Mode::Record);
  ASSERT_TRUE(boxes.WaitForBoxes(1, 20000));
  EXPECT_EQ(boxes.Seen()[0].title, "Sono initialize problem");
  EXPECT_EQ(boxes.Seen()[0].text.rfind("Can't initialize device: 99\n", 0), 0u) << boxes.Seen()[0].text;
  mainWindow = player->WaitForWindow("TForm1", "", 20000);
  ASSERT_NE(mainWindow, nullptr);
  Quit();
}

TEST_F(Commands, ArgumentsHandedOverDuringTheStartUpWaitForItsEnd) {
  Prepare("[SOUND_DEVICE]\r\nDEVICE=99\r\n");
  const std::string a = Place("long.wav", "a.wav");
  svtest::LaunchOptions options;
  options.workingFolder = folder.Path();
  options.environment.emplace_back("SORIVANEL_AUTOMATION", "1");
  player = std::make_unique<svtest::ProgramUnderTest>(program, std::vector<std::string>{}, options);
  // The device box holds the start-up half way; the hand-over comes in
  // through the box's own message loop.
  HWND box = svtest::WaitForWindow("#32770", "Sono initialize problem", 20000, player->Id());
  ASSERT_NE(box, nullptr);
  appWindow = player->WaitForWindow("TApplication", "Sorivanel", 20000);
  // The tray's hint of the form description, until the start-up sets its own.
  EXPECT_EQ(Value("TrayHint"), "Sorivanel is loading...");
  // The start-up holds them: the second start ends without their treatment.
  EXPECT_EQ(SecondEnded({a, "/next"}), 0u);
  EXPECT_EQ(Value("Held"), "2");
  EXPECT_TRUE(IsWindow(box));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  appWindow = player->WaitForWindow("TApplication", "Sorivanel", 20000);
  mainWindow = player->WaitForWindow("TForm1", "", 20000);
  ASSERT_TRUE(WaitFor("Started", "1", 10000));
  ASSERT_TRUE(WaitFor("Entries", "1", 10000));
  EXPECT_EQ(Value("Entry0"), a);
  // "/next" came after the file and was treated after it: the one entry
  // plays again.
  EXPECT_TRUE(WaitFor("CurrentIndex", "0"));
  EXPECT_TRUE(WaitFor("Playing", "1"));
  Quit();
}

}  // namespace
}  // namespace playertest
