// The CD lookup and the version check of the real player under Wine: a
// stand-in CD add-on gives it a disc, scripted servers on 127.0.0.1 answer.
#include <windows.h>

#include <string>
#include <vector>

#include "PlayerTestSupport.h"
#include "ScriptedHttpServer.h"

namespace {

using playertest::ScriptedHttpServer;
using playertest::ScriptedReply;

class NetChecksProgram : public playertest::PlayerProgram {
 protected:
  void PrepareWith(const std::string& data) {
    Prepare();
    folder.CopyIn(svtest::BuiltFile("tests/player/app/fakecd/sonocd.dll"));
    folder.Write("Sorivanel.ini", "[DATA]\r\n" + data);
  }
  // A two-track disc in the stand-in drive and a list of its tracks.
  void InsertDisc() {
    const std::string base = svtest::PathToUtf8(folder.Path());
    ASSERT_TRUE(base.size() > 2 && base[1] == ':') << base;
    folder.Write("fakecd.txt", std::string(1, base[0]) + "\r\n0a0b0c0d 2 150 15000 400\r\n");
    folder.Write("Track01.cda", "RIFF");
    folder.Write("Track02.cda", "RIFF");
    folder.Write("disc.m3u", "#EXTM3U\r\nTrack01.cda\r\nTrack02.cda\r\n");
  }
};

TEST_F(NetChecksProgram, CdTitlesComeFromTheLookupAndItsCache) {
  ScriptedHttpServer server([](const std::string& head) {
    if (head.find("cmd=cddb+query") != std::string::npos)
      return ScriptedHttpServer::Reply(200, "200 rock 0a0b0c0d Band / Album\r\n");
    return ScriptedHttpServer::Reply(
        200, "210 rock 0a0b0c0d\r\nDTITLE=Band / Album\r\nDYEAR=1987\r\nTTITLE0=Opening\r\nTTITLE1=Closing\r\n.\r\n");
  });
  PrepareWith("CheckNouvelleVersion=0\r\nCddbServer=" + server.Address() +
              "\r\nCddbHelloHost=test.lan\r\n[NOMCHANSONS]\r\nFormatNomTag=%tracknb %tracktitle\r\n"
              "FormatNomCDA=CD %filename\r\n");
  InsertDisc();
  Start({}, true);
  EXPECT_EQ(Second({PathOf("disc.m3u")}), 0u);
  EXPECT_EQ(Value("Entries"), "2");
  EXPECT_TRUE(WaitFor("Item0", " 01 Opening", 30000, "ListBox1")) << Value("Item0", "ListBox1");
  EXPECT_EQ(Value("Item1", "ListBox1"), " 02 Closing");
  EXPECT_EQ(server.Requests().size(), 2u);
  const sv::IniFile cache(PathOf("Sorivanel.cddb"));
  EXPECT_EQ(cache.ReadString("0a0b0c0d+2+150+15000+400", "MATCH", ""), "1");
  EXPECT_EQ(cache.ReadString("0a0b0c0d+2+150+15000+400", "LENGTH2", ""), "03:20");
  Quit();
}

TEST_F(NetChecksProgram, QuietCheckShowsANewerVersion) {
  ScriptedHttpServer server([](const std::string&) { return ScriptedHttpServer::Reply(200, "3.31\r\n"); });
  PrepareWith("CheckNouvelleVersion=1\r\nSiteURL=" + server.Address() + "\r\n");
  Start({}, true);
  watcher->Answer(IDNO);
  // The first quiet attempt comes with the version timer, 30 s after start.
  ASSERT_TRUE(watcher->WaitForBoxes(1, 90000));
  const auto boxes = watcher->Seen();
  EXPECT_EQ(boxes[0].title, "Sorivanel");
  EXPECT_NE(boxes[0].text.find("Nouvelle version disponible"), std::string::npos) << boxes[0].text;
  EXPECT_NE(boxes[0].text.find("Ouvrir le site?"), std::string::npos) << boxes[0].text;
  EXPECT_EQ(server.Requests(), std::vector<std::string>{"GET /version.php"});
  Quit();
}

// A close asked for while the version box is up waits for the box. A CD
// lookup falling due meanwhile starts no request: nothing would end it, and
// the close would wait for its server.
TEST_F(NetChecksProgram, NoCdLookupStartsOnceACloseWaitsForTheVersionBox) {
  ScriptedHttpServer cddb([](const std::string&) { return ScriptedReply{"", true}; });
  ScriptedHttpServer site([](const std::string&) { return ScriptedHttpServer::Reply(200, "3.31\r\n"); });
  PrepareWith("CheckNouvelleVersion=1\r\nSiteURL=" + site.Address() + "\r\nCddbServer=" + cddb.Address() +
              "\r\nCddbHelloHost=test.lan\r\n");
  InsertDisc();
  Start({}, true);
  // The box stays up until the test answers it.
  watcher.reset();
  // The first quiet attempt comes with the version timer, 30 s after start.
  const HWND box = svtest::WaitForWindow("#32770", "Sorivanel", 90000, player->Id());
  ASSERT_NE(box, nullptr);
  ASSERT_TRUE(svtest::SendTo(mainWindow, WM_CLOSE, 0, 0));
  ASSERT_TRUE(player->Running());
  // The disc's tracks arm the lookup timer; its tick finds the close
  // waiting. Handed over one by one: a list's import would be ended at
  // once by the waiting close, its entries put in without their titles.
  EXPECT_EQ(Second({PathOf("Track01.cda"), PathOf("Track02.cda")}), 0u);
  EXPECT_EQ(Value("Entries"), "2");
  ASSERT_TRUE(WaitFor("CddbTimerTicks", "1", 30000)) << Value("CddbTimerTicks");
  PostMessageW(box, WM_COMMAND, IDNO, 0);
  ASSERT_TRUE(player->WaitForExit(60000)) << "the player did not end";
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
  EXPECT_EQ(cddb.Heads().size(), 0u);
  EXPECT_EQ(site.Requests(), std::vector<std::string>{"GET /version.php"});
}

// A close that comes while the check waits for a silent server ends the
// request, lets the check unwind, then closes as always.
TEST_F(NetChecksProgram, QuitDuringAStalledCheckEndsAfterTheRequestUnwinds) {
  ScriptedHttpServer server([](const std::string&) { return ScriptedReply{"", true}; });
  PrepareWith("CheckNouvelleVersion=1\r\nSiteURL=" + server.Address() + "\r\n");
  Start({}, false);
  for (int i = 0; i < 900 && server.Heads().empty(); ++i) Sleep(100);
  ASSERT_EQ(server.Heads().size(), 1u);
  Quit();
  EXPECT_TRUE(Settings().SectionExists("LECT"));
}

// The end of the session while the check waits: the state is saved before
// the answer, and the rest of the close follows once the check has unwound.
TEST_F(NetChecksProgram, TheEndOfTheSessionDuringAStalledCheckSavesAtOnceAndEndsAfterIt) {
  ScriptedHttpServer server([](const std::string&) { return ScriptedReply{"", true}; });
  PrepareWith("CheckNouvelleVersion=1\r\nSiteURL=" + server.Address() +
              "\r\nReglageVolumeGlobal=0\r\n[LECT]\r\nVolume=27\r\n");
  Start({}, false);
  for (int i = 0; i < 900 && server.Heads().empty(); ++i) Sleep(100);
  ASSERT_EQ(server.Heads().size(), 1u);
  folder.Write("Sorivanel.ini", "[DATA]\r\nCheckNouvelleVersion=0\r\n");
  EXPECT_EQ(svtest::SendTo(mainWindow, WM_QUERYENDSESSION, 0, 0), 1);
  svtest::SendTo(mainWindow, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Volume", 0), 27) << "saved before the answer";
  ASSERT_TRUE(player->WaitForExit(30000)) << "the player did not end";
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
}

}  // namespace
