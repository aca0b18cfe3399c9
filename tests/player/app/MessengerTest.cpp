// The messenger's now-playing message from the running player to a
// stand-in messenger in another process: every window of its class gets
// the same 256 bytes on play, pause and stop, and a receiver that stops
// answering holds nothing up.
#include <fstream>
#include <sstream>

#include "player/MsnNowPlaying.h"
#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {
namespace {

struct Received {
  int window = -1;
  std::string id, size, bytes;
};

std::string Hex(const player::MsnBuffer& buffer) {
  std::string text;
  char pair[4];
  for (std::uint8_t b : buffer) {
    std::snprintf(pair, sizeof pair, "%02X", b);
    text += pair;
  }
  return text;
}

class Messenger : public PlayerProgram {
 protected:
  void StartReceiver(int windows, bool hang) {
    std::vector<std::string> arguments{PathOf("received.log"), std::to_string(windows)};
    if (hang) arguments.emplace_back("hang");
    receiver = std::make_unique<svtest::ProgramUnderTest>(svtest::BuiltFile("tests/player/app/msn_receiver.exe"),
                                                          arguments);
    ASSERT_TRUE(svtest::WaitUntil([&] {
      int found = 0;
      for (HWND w = FindWindowExW(nullptr, nullptr, L"MsnMsgrUIManager", nullptr); w;
           w = FindWindowExW(nullptr, w, L"MsnMsgrUIManager", nullptr))
        ++found;
      return found == windows;
    }));
  }

  std::vector<Received> Log() {
    std::vector<Received> records;
    std::istringstream lines(folder.Read("received.log").value_or(""));
    std::string line;
    while (std::getline(lines, line)) {
      Received r;
      std::istringstream fields(line);
      fields >> r.window >> r.id >> r.size >> r.bytes;
      records.push_back(r);
    }
    return records;
  }

  bool WaitForRecords(std::size_t count) {
    return svtest::WaitUntil([&] { return Log().size() >= count; }, 30000);
  }

  // What one window received, in order.
  std::vector<std::string> Of(int window) {
    std::vector<std::string> texts;
    for (const Received& r : Log())
      if (r.window == window) texts.push_back(r.bytes);
    return texts;
  }

  void TearDown() override {
    PlayerProgram::TearDown();
    if (receiver) receiver->Kill();
  }

  std::unique_ptr<svtest::ProgramUnderTest> receiver;
};

TEST_F(Messenger, EveryMessengerWindowGetsPlayPauseAndStop) {
  Prepare("[MSNCURRENTPLAY]\r\nActivate=1\r\n");
  const std::string song = Place("long.wav", "Tune.wav"), tagged = Place("cover1.mp3");
  // No messenger: the option costs nothing.
  Start();
  ASSERT_EQ(Second({song}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  ASSERT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Value("Channel"), "0");

  StartReceiver(2, false);
  ASSERT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(WaitForRecords(2));
  // Without tags the display text stands as the artist.
  const std::string untagged = Hex(player::MsnNowPlayingBuffer(Value("Bubble"), "", "", 1));
  EXPECT_NE(Value("Bubble").find("Tune"), std::string::npos);
  const std::string stopped = Hex(player::MsnNowPlayingBuffer("", "", "", 0));
  for (const Received& r : Log()) {
    EXPECT_EQ(r.id, "547");
    EXPECT_EQ(r.size, "100");
  }
  EXPECT_EQ(Of(0), (std::vector<std::string>{untagged}));
  EXPECT_EQ(Of(1), (std::vector<std::string>{untagged}));
  ASSERT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(WaitForRecords(4));
  EXPECT_EQ(Of(0), (std::vector<std::string>{untagged, stopped}));
  EXPECT_EQ(Of(1), Of(0));

  // A song with tags sends them; its title is the only tag it has.
  ASSERT_EQ(Second({tagged}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  ASSERT_TRUE(WaitForRecords(8));
  const std::vector<std::string> all = Of(0);
  ASSERT_FALSE(all.empty());
  EXPECT_EQ(all.back(), Hex(player::MsnNowPlayingBuffer("", "", "cover1.mp3", 1)));
  EXPECT_EQ(Of(1), all);
  Quit();
  // The close stops the song: the display is cleared.
  EXPECT_EQ(Of(0).back(), stopped);
}

TEST_F(Messenger, AReceiverThatStopsAnsweringHoldsNothingUp) {
  Prepare("[MSNCURRENTPLAY]\r\nActivate=1\r\n");
  const std::string song = Place("long.wav", "Tune.wav");
  StartReceiver(2, true);
  Start();
  ASSERT_EQ(Second({song}), 0u);
  ASSERT_TRUE(WaitForRecords(2));
  // Window 0 now never answers; pause and play go on, and window 1 hears
  // both.
  ASSERT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Value("Channel"), "0");
  ASSERT_EQ(Second({"/play"}), 0u);
  EXPECT_EQ(Value("Playing"), "1");
  ASSERT_TRUE(svtest::WaitUntil([&] { return Of(1).size() >= 3; }, 30000));
  EXPECT_EQ(Of(1)[1], Hex(player::MsnNowPlayingBuffer("", "", "", 0)));
  EXPECT_EQ(Of(0).size(), 1u);
  Quit();
}

}  // namespace
}  // namespace playertest
