// The running player while it works long: a station that takes its time to
// answer (the "held" loopback peer of mms_peer.py, released by the test),
// a long import, and what arrives meanwhile: a quit, a show, a tag save, a
// hand-over. Each scene checks the saved list, what plays and that the
// program ends.
#include "tests/player/app/HeldStation.h"
#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {
namespace {

using LongWork = PlayerProgram;

#define NEEDS_THE_PEERS()                                                                   \
  if (PeerPort("HELD").empty()) GTEST_SKIP() << "run through mms_peer.py, which starts the loopback peers"; \
  ASSERT_TRUE(ReleaseHeldStation('h'))

TEST_F(LongWork, AListWhoseFirstEntryIsAStationThatTakesItsTimeIsKeptWhole) {
  NEEDS_THE_PEERS();
  Prepare("[LECT]\r\nLectureBoucle=0\r\n", "#EXTM3U\r\nbefore.wav\r\n");
  Place("a.wav", "before.wav");
  Place("long.wav", "a.wav");
  Place("long.wav", "b.wav");
  Place("long.wav", "c.wav");
  const std::vector<std::string> named{HeldStation(), "a.wav", "b.wav", "c.wav"};
  folder.Write("list.m3u", "#EXTM3U\r\n" + named[0] + "\r\na.wav\r\nb.wav\r\nc.wav\r\n");

  // The list handed over to the running player, and a quit while the
  // station opens: the list the user gave is saved whole.
  Start();
  EXPECT_EQ(SecondEnded({PathOf("list.m3u")}), 0u);
  Quit();
  EXPECT_EQ(SavedEntries(), named);

  // The list fills while the station connects, and a show comes through.
  Start({PathOf("list.m3u")});
  ASSERT_TRUE(WaitForList(4));
  EXPECT_EQ(Value("Entry0"), named[0]);
  EXPECT_EQ(Value("Entry3"), PathOf("c.wav"));
  EXPECT_EQ(Value("CurrentIndex"), "0");
  EXPECT_TRUE(svtest::WaitUntil([] { return HeldRequests() == 1; }, 30000)) << "the station was not asked";
  EXPECT_EQ(SecondEnded({"/show"}), 0u);
  EXPECT_EQ(Value("Held"), "0");
  EXPECT_EQ(Value("FormShown"), "1");
  // The station fails: it is skipped and the next entry plays.
  ASSERT_TRUE(ReleaseHeldStation('f'));
  EXPECT_TRUE(WaitFor("CurrentIndex", "1", 60000));
  EXPECT_TRUE(WaitFor("Playing", "1"));
  Quit();
  EXPECT_EQ(SavedEntries(), named);
}

TEST_F(LongWork, ATagSaveWhileAStationOpensLetsTheStationPlay) {
  NEEDS_THE_PEERS();
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n", "#EXTM3U\r\n" + HeldStation() + "\r\nsong.mp3\r\n");
  const std::string song = Place("tagged1.mp3", "song.mp3");
  Start({}, true);
  EXPECT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  const HWND editor = OpenTagEditorOn({1});
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(svtest::WaitUntil([] { return HeldRequests() == 1; }, 30000)) << "the station was not asked";
  watcher->Answer(IDYES);
  auto reply = client.Request(appWindow, {"click", "FormTag", "BtnSave"});
  ASSERT_TRUE(reply && reply->ok);
  ASSERT_TRUE(svtest::WaitUntil([&] { return !IsWindow(editor); }, 60000));
  // The save changed nothing that plays: the open goes on, and its station
  // plays once it answers.
  EXPECT_EQ(HeldRequests(), 1);
  ASSERT_TRUE(ReleaseHeldStation('p'));
  EXPECT_TRUE(WaitFor("Playing", "1", 60000));
  EXPECT_EQ(Value("CurrentIndex"), "0");
  EXPECT_TRUE(WaitFor("Bubble", " Loopback Tone"));
  Quit();
  EXPECT_EQ(SavedEntries(), (std::vector<std::string>{HeldStation(), "song.mp3"}));
}

TEST_F(LongWork, AFileHandedOverWhileAStationOpensIsTreatedAtOnce) {
  NEEDS_THE_PEERS();
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n", "#EXTM3U\r\n" + HeldStation() + "\r\n");
  const std::string a = Place("long.wav", "a.wav");
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(svtest::WaitUntil([] { return HeldRequests() == 1; }, 30000)) << "the station was not asked";
  // Treated before the second start ends: nothing waits for the station,
  // whose open ends.
  EXPECT_EQ(SecondEnded({a}), 0u);
  EXPECT_EQ(Value("Held"), "0");
  EXPECT_EQ(Value("CurrentIndex"), "1");
  EXPECT_TRUE(svtest::WaitUntil([] { return HeldRequests() == 0; }, 30000));
  EXPECT_TRUE(WaitFor("Playing", "1"));
  // The station answering now changes nothing; "/prev" goes back to it.
  ASSERT_TRUE(ReleaseHeldStation('p'));
  EXPECT_EQ(Second({"/prev"}), 0u);
  EXPECT_TRUE(WaitFor("Bubble", " Loopback Tone", 60000));
  EXPECT_EQ(Value("CurrentIndex"), "0");
  Quit();
  EXPECT_EQ(SavedEntries(), (std::vector<std::string>{HeldStation(), "a.wav"}));
}

// A list of 20,000 entries whose first is a short song and the others are
// missing: a quit during its import saves every entry, and the player ends.
TEST_F(LongWork, AQuitDuringALongImportSavesEveryEntryOfTheList) {
  Prepare("[LECT]\r\nLectureBoucle=0\r\n");
  Place("a.wav");
  std::string pls = "[playlist]\r\nFile1=a.wav\r\n";
  for (int i = 2; i <= 20000; ++i) pls += "File" + std::to_string(i) + "=missing" + std::to_string(i) + ".wav\r\n";
  folder.Write("big.pls", pls);
  Start();
  // The close is posted inside the answer to a state request that finds the
  // import running (nothing else holds the list then): it arrives during
  // the import on any machine.
  bool posted = false;
  client.WhileReplying = [&](const std::string& state) {
    if (posted || state.find("Busy=1") == std::string::npos) return;
    posted = true;
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  };
  svtest::LaunchOptions options;
  options.workingFolder = folder.Path();
  svtest::ProgramUnderTest second(program, {PathOf("big.pls")}, options);
  const bool seen = svtest::WaitUntil(
      [&] {
        State();
        return posted || !player->Running();
      },
      120000);
  client.WhileReplying = nullptr;
  ASSERT_TRUE(seen && posted) << "the import was never seen running";
  ASSERT_TRUE(player->WaitForExit(120000)) << "the player did not end";
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
  EXPECT_TRUE(second.WaitForExit(30000));
  const auto saved = SavedEntries();
  ASSERT_EQ(saved.size(), 20000u);
  EXPECT_EQ(saved.front(), "a.wav");
  EXPECT_EQ(saved.back(), "missing20000.wav");
}

}  // namespace
}  // namespace playertest
