// An "mms://" station in the running player, against the loopback peers of
// mms_peer.py (which runs this program with their ports in the environment).
// Stream addresses reach the list through playlists; one given bare on the
// command line is ignored, as an "http://" one is.
#include "tests/player/app/PlayerTestSupport.h"

#include <cstdlib>

namespace playertest {
namespace {

using MmsStream = PlayerProgram;

std::string PeerUrl(const char* behaviour) {
  const char* port = std::getenv((std::string("MMS_PEER_") + behaviour).c_str());
  return port ? "mms://127.0.0.1:" + std::string(port) + "/radio/tone.asf" : std::string();
}

TEST_F(MmsStream, StationFromAPlaylistArgumentPlaysWithItsTitle) {
  if (PeerUrl("PLAY").empty()) GTEST_SKIP() << "run through mms_peer.py, which starts the loopback peers";
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n");
  folder.Write("radio.m3u", "#EXTM3U\r\n#EXTINF:-1,My MMS Station\r\n" + PeerUrl("PLAY") + "\r\n");
  Start({PathOf("radio.m3u")});
  EXPECT_TRUE(WaitFor("Entries", "1"));
  EXPECT_EQ(Value("Entry0"), PeerUrl("PLAY"));
  EXPECT_TRUE(WaitFor("Bubble", " Loopback Tone", 15000));
  // The title shows just before the channel starts; a state request can be
  // answered between the two (the tray's hint is set through the shell).
  EXPECT_TRUE(WaitFor("Playing", "1"));
  EXPECT_NE(Value("Channel"), "0");

  // A bare address, and a station that cannot be reached, change nothing.
  EXPECT_EQ(Second({PeerUrl("PLAY")}), 0u);
  EXPECT_EQ(Value("Entries"), "1");
  Quit();
}

// Stations that cannot be reached, and hostile ones that would keep the
// open busy for good (a head that never ends, pings only, an ASF header that
// claims the live stream) within their open's budget.
TEST_F(MmsStream, UnreachableAndHostileStationsAreSkipped) {
  if (PeerUrl("PLAY").empty()) GTEST_SKIP() << "run through mms_peer.py, which starts the loopback peers";
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n",
          "#EXTM3U\r\n" + PeerUrl("CLOSED") + "\r\n" + PeerUrl("JUNK") + "\r\n" + PeerUrl("ENDLESS") + "\r\n" +
              PeerUrl("PINGS") + "\r\n" + PeerUrl("HUGEASF") + "\r\nthree.wav\r\n");
  Place("three.wav");
  Start();
  EXPECT_EQ(Value("Entries"), "6");
  // Every station fails and the song after them plays; the window answers
  // meanwhile.
  EXPECT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Value("Entries"), "6");
  EXPECT_TRUE(WaitFor("CurrentIndex", "5", 150000)) << Value("CurrentIndex") << " playing " << Value("Playing");
  Quit();
}

// A "/quit" while a station that never finishes its head is opening ends
// the open and the program.
TEST_F(MmsStream, QuitDuringAnOpenEndsTheProgram) {
  if (PeerUrl("PLAY").empty()) GTEST_SKIP() << "run through mms_peer.py, which starts the loopback peers";
  Prepare("[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n", "#EXTM3U\r\n" + PeerUrl("ENDLESS") + "\r\n");
  Start();
  EXPECT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Value("Entries"), "1");
  Quit();
}

}  // namespace
}  // namespace playertest
