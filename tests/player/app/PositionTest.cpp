// The time label, the seek and volume bars and the hot keys of the running
// player: the label's modes, presses and drags at chosen places (the right
// button does nothing), five-second jumps while paused and on a stream of
// unknown length, and every hot key's action.
#include <climits>
#include <cstdlib>

#include "tests/player/app/PlayerTestSupport.h"
#include "tests/sono/win32/RadioServer.h"

namespace playertest {
namespace {

class Position : public PlayerProgram {
 protected:
  long long Bar(const std::string& key, const std::string& bar = "ProgressBar1") {
    return std::stoll(Value(key, bar));
  }

  int BarWidth(const std::string& bar) {
    const std::string bounds = Value("Bounds", bar);  // left,top,width,height
    std::size_t at = bounds.find(',', bounds.find(',') + 1);
    return std::stoi(bounds.substr(at + 1));
  }

  // A press (and optionally a drag) of that button at x, then its release.
  void Mouse(const std::string& bar, UINT down, WPARAM button, int x, int dragTo = INT_MIN) {
    HWND window = svtest::FindChildByName(mainWindow, bar);
    ASSERT_NE(window, nullptr);
    auto at = [](int px) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(px)), 4); };
    svtest::SendTo(window, down, button, at(x));
    if (dragTo != INT_MIN) svtest::SendTo(window, WM_MOUSEMOVE, button, at(dragTo));
    svtest::SendTo(window, down + 1, 0, at(dragTo != INT_MIN ? dragTo : x));
  }

  // The click is posted: it is handled some time after this returns.
  void ClickLabel() {
    auto clicked = client.Request(appWindow, {"click", "Form1", "LabelTemps"});
    ASSERT_TRUE(clicked && clicked->ok);
  }
};

TEST_F(Position, TheLabelsThreeModesAndTheSeekBar) {
  // A three-minute song, resting at its start.
  Prepare("[LECT]\r\nIndex=0\r\n", "#EXTM3U\r\nthree.wav\r\n");
  Place("three.wav");
  Start();
  const long long max = Bar("Max");
  ASSERT_EQ(max, 180LL * 16000);
  // Each press moves the mode on; the third comes back to the remaining
  // time, which counts one second more.
  for (const char* caption : {" 00:00", " 03:00", "-03:01"}) {
    ClickLabel();
    EXPECT_TRUE(WaitFor("Caption", caption, 30000, "LabelTemps")) << Value("Caption", "LabelTemps");
  }

  // Stopped, a press moves the resume point; the right end is the end.
  const int width = BarWidth("ProgressBar1");
  Mouse("ProgressBar1", WM_LBUTTONDOWN, MK_LBUTTON, width - 4);
  EXPECT_EQ(Bar("Position"), max);
  EXPECT_EQ(Value("Caption", "LabelTemps"), "-00:01");
  // The right button does nothing, even dragged.
  Mouse("ProgressBar1", WM_RBUTTONDOWN, MK_RBUTTON, 0, 10);
  EXPECT_EQ(Bar("Position"), max);
  // A drag past the left end and back into the middle.
  Mouse("ProgressBar1", WM_LBUTTONDOWN, MK_LBUTTON, width / 2, -30);
  EXPECT_EQ(Bar("Position"), 0);
  Mouse("ProgressBar1", WM_LBUTTONDOWN, MK_LBUTTON, 0, (width - 4) / 2);
  EXPECT_NEAR(static_cast<double>(Bar("Position")), max / 2.0, max / (width - 4.0));
  const long long middle = Bar("Position");
  // The song resumes from there.
  ASSERT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  EXPECT_GE(Bar("Position"), middle);
  Quit();
  EXPECT_GE(Settings().ReadInt64("LECT", "Position", 0), middle);
}

TEST_F(Position, FiveSecondsMoveAPausedSongAndNeverAStream) {
  Prepare("[LECT]\r\nIndex=0\r\n", "#EXTM3U\r\nlong.wav\r\n");
  Place("long.wav");
  Start();
  // Paused: the resume point moves by five seconds of bytes (16,000 a
  // second), within the song.
  ASSERT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  ASSERT_EQ(Second({"/play"}), 0u);
  ASSERT_EQ(Value("Channel"), "0");
  const long long paused = Bar("Position");
  PressWithCtrl(VK_RIGHT);
  ASSERT_TRUE(svtest::WaitUntil([&] { return Bar("Position") != paused; }));
  EXPECT_EQ(Bar("Position"), paused + 80000);
  PressWithCtrl(VK_LEFT);
  ASSERT_TRUE(svtest::WaitUntil([&] { return Bar("Position") == paused; }));
  PressWithCtrl(VK_LEFT);
  ASSERT_TRUE(svtest::WaitUntil([&] { return Bar("Position") == 0; }));
  for (int i = 0; i < 5; ++i) PressWithCtrl(VK_RIGHT);
  ASSERT_TRUE(svtest::WaitUntil([&] { return Bar("Position") == Bar("Max"); }));
  EXPECT_EQ(Value("Channel"), "0");
  Quit();

  // A stream of unknown length: the bar stays disabled and at 0.
  const std::string mp3 = svtest::ReadFileBytes(Fixture("cover1.mp3")).value_or("");
  ASSERT_FALSE(mp3.empty());
  sono_test::RadioServer station(mp3, {"StreamTitle='Artist - Song';"});
  const std::string url = "http://127.0.0.1:" + std::to_string(station.Port()) + "/live";
  Prepare("[LECT]\r\nIndex=0\r\n", "#EXTM3U\r\n#EXTINF:-1,Station\r\n" + url + "\r\n");
  Start();
  ASSERT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  EXPECT_EQ(Value("Enabled", "ProgressBar1"), "0");
  PressWithCtrl(VK_RIGHT);
  PressWithCtrl(VK_F9);  // a key after it, to know the first was handled
  ASSERT_TRUE(WaitFor("Playing", "0"));
  EXPECT_EQ(Bar("Position"), 0);
  Quit();
}

TEST_F(Position, HotKeysAndTheVolumeBar) {
  Prepare("ReglageVolumeGlobal=0\r\n[LECT]\r\nIndex=0\r\nVolume=99\r\n", "#EXTM3U\r\nlong.wav\r\nlong2.wav\r\n");
  Place("long.wav");
  Place("long.wav", "long2.wav");
  Start();
  // Volume up at 99 stops at 100; the bar then takes presses and drags.
  PressWithCtrl(VK_UP);
  ASSERT_TRUE(WaitFor("Position", "100", 30000, "ProgressBar2"));
  const int width = BarWidth("ProgressBar2");
  ASSERT_EQ((width - 4) % 2, 0) << "the default skin's volume bar";
  Mouse("ProgressBar2", WM_LBUTTONDOWN, MK_LBUTTON, width, -50);
  EXPECT_EQ(Bar("Position", "ProgressBar2"), 0);
  Mouse("ProgressBar2", WM_RBUTTONDOWN, MK_RBUTTON, width - 4);
  EXPECT_EQ(Bar("Position", "ProgressBar2"), 0) << "the right button does nothing";
  Mouse("ProgressBar2", WM_LBUTTONDOWN, MK_LBUTTON, 0, (width - 4) / 2);
  EXPECT_EQ(Bar("Position", "ProgressBar2"), 50);
  // Down from 3 or less stops at 0.
  Mouse("ProgressBar2", WM_LBUTTONDOWN, MK_LBUTTON, 1);
  const long long low = Bar("Position", "ProgressBar2");
  ASSERT_LE(low, 3);
  PressWithCtrl(VK_DOWN);
  ASSERT_TRUE(WaitFor("Position", "0", 30000, "ProgressBar2"));

  // Play, next, previous (the first second restarts nothing: it goes back),
  // show and hide.
  PressWithCtrl(VK_F9);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  PressWithCtrl(VK_F11);
  ASSERT_TRUE(WaitFor("CurrentIndex", "1"));
  PressWithCtrl(VK_F12);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  PressWithCtrl(VK_F12);
  ASSERT_TRUE(WaitFor("FormShown", "0"));
  PressWithCtrl(VK_F9);
  ASSERT_TRUE(WaitFor("Playing", "0"));
  PressWithCtrl(VK_F10);
  ASSERT_TRUE(WaitFor("CurrentIndex", "0"));
  Quit();
  EXPECT_EQ(Settings().ReadInteger("LECT", "Volume", -1), 0);
}

}  // namespace
}  // namespace playertest
