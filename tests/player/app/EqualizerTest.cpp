// The equalizer window of the running player: opened by the main window's
// button, its bars set the bands that the engine then holds, "0" resets
// them, a new song gets fresh effects, it docks beside the main window,
// takes a new skin at once (kept as equalizer-<skin>.png), closes with the
// main window, and the gains are saved.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "tests/player/app/WindowShots.h"

namespace playertest {
namespace {

class Equalizer : public WindowShots {
 protected:
  HWND Open() {
    auto clicked = client.Request(appWindow, {"click", "Form1", "SpdBtnEgaliseur"});
    EXPECT_TRUE(clicked && clicked->ok);
    HWND window = player->WaitForWindow("TFormEgaliseur", "", 20000);
    EXPECT_NE(window, nullptr);
    svtest::WaitUntil([&] { return IsWindowVisible(window) != FALSE; });
    return window;
  }

  // A press at y on bar n, optionally dragged to `dragTo`, then released.
  void Press(HWND equalizer, int n, int y, int dragTo = -1) {
    HWND bar = svtest::FindChildByName(equalizer, "ProgressBar" + std::to_string(n));
    ASSERT_NE(bar, nullptr);
    svtest::SendTo(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, y));
    if (dragTo >= 0) svtest::SendTo(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(8, dragTo));
    svtest::SendTo(bar, WM_LBUTTONUP, 0, MAKELPARAM(8, dragTo >= 0 ? dragTo : y));
  }

  std::string Band(const std::string& key, int band) {
    const std::string all = Value(key);
    std::size_t start = 0;
    for (int i = 1; i < band; ++i) start = all.find(',', start) + 1;
    return all.substr(start, all.find(',', start) - start);
  }

  std::string EqValue(const std::string& key, const std::string& component = "") {
    auto state = FormState("FormEgaliseur", component);
    auto found = state.find(key);
    return found == state.end() ? "<none>" : found->second;
  }
};

TEST_F(Equalizer, BarsSetTheBandsTheEngineHolds) {
  Prepare("Gauche=400\r\nHaut=100\r\nLargeur=300\r\nHauteur=380\r\n");
  PlaceSkins();
  const std::string first = Place("wide.wav", "First.wav"), second = Place("wide.wav", "Second.wav");
  Start();
  ASSERT_EQ(Second({first}), 0u);
  ASSERT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  HWND equalizer = Open();
  // Docked left of the main window, bottom edges aligned.
  EXPECT_EQ(EqValue("Bounds"), "259,332,141,148");
  EXPECT_EQ(EqValue("Caption", "Label1"), "Egaliseur");

  // The top row, the middle and the lowest row; a drag below the bar.
  Press(equalizer, 1, 0);
  Press(equalizer, 2, 60);
  Press(equalizer, 3, 120);
  Press(equalizer, 4, 0, 300);
  EXPECT_EQ(Value("EqGains"), "15.0,0.0,-14.8,-15.0,0.0");
  EXPECT_EQ(Band("EqEngine", 1), "80.00/11.4/15.0");
  EXPECT_EQ(Band("EqEngine", 2), "-") << "0 dB removes the band's effect";
  EXPECT_EQ(Band("EqEngine", 3), "1114.30/11.4/-14.8");
  EXPECT_EQ(Band("EqEngine", 4), "4158.73/11.4/-15.0");
  EXPECT_EQ(Value("EqEffects"), "3");
  EXPECT_EQ(EqValue("Position", "ProgressBar3"), "2") << "the bar shows -148 (+150)";
  // Up again on the same band: the effect is updated, not doubled.
  Press(equalizer, 1, 12);
  EXPECT_EQ(Band("EqEngine", 1), "80.00/11.4/12.0");
  EXPECT_EQ(Value("EqEffects"), "3");
  // The right button does nothing special: a press is a press.
  CaptureForm("FormEgaliseur", "equalizer-default");

  // "0" resets every band and removes every effect.
  auto reset = client.Request(appWindow, {"click", "FormEgaliseur", "Label4"});
  ASSERT_TRUE(reset && reset->ok);
  ASSERT_TRUE(WaitFor("EqGains", "0.0,0.0,0.0,0.0,0.0"));
  EXPECT_EQ(Value("EqEffects"), "0");
  EXPECT_EQ(Value("EqEngine"), "-,-,-,-,-");

  // A new song: a band moved now gets an effect on the new channel.
  Press(equalizer, 5, 0);
  ASSERT_EQ(Second({second}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  EXPECT_EQ(Band("EqEngine", 5), "15520.95/11.4/15.0") << "applied to the new channel";
  Press(equalizer, 2, 0);
  EXPECT_EQ(Band("EqEngine", 2), "298.57/11.4/15.0");
  EXPECT_EQ(Value("EqEffects"), "2");

  // On a song whose rate cannot carry the top band, that band's effect
  // stays flat: it never turns into a 1 kHz band.
  const std::string narrow = Place("long.wav", "Narrow.wav");
  ASSERT_EQ(Second({narrow}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  Press(equalizer, 5, 60);
  Press(equalizer, 5, 0, 300);
  EXPECT_EQ(Band("EqEngine", 5), "1000.00/12.0/0.0") << "the engine's untouched effect";
  EXPECT_EQ(Band("EqEngine", 2), "298.57/11.4/15.0");
  ASSERT_EQ(Second({second}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  EXPECT_EQ(Band("EqEngine", 5), "15520.95/11.4/-15.0");

  // A new skin re-dresses the open window at once.
  ASSERT_EQ(Second({"/skin:ardoise"}), 0u);
  EXPECT_EQ(EqValue("Bounds"), "249,326,151,154");
  EXPECT_EQ(EqValue("Bounds", "ProgressBar1"), "10,24,17,121");
  EXPECT_EQ(EqValue("FontColor", "LabelClose"), "D0C8C0");
  const sv::skin::BmpImage slate = CaptureForm("FormEgaliseur", "equalizer-ardoise");
  ASSERT_EQ(slate.Width, 151);
  EXPECT_EQ(Rgb(slate.Pixel(0, 0)), "FF00FF");
  EXPECT_EQ(Rgb(slate.Pixel(0, 77)), "8A9BB0");
  DWORD flags = 0;
  COLORREF key = 0;
  BYTE alpha = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(equalizer, &key, &alpha, &flags));
  EXPECT_NE(flags & LWA_COLORKEY, 0u);

  // Hiding the main window closes it; the gains are kept and saved.
  ASSERT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "0"));
  EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(equalizer); }));
  Quit();
  const sv::IniFile ini = Settings();
  EXPECT_EQ(ini.ReadString("LECT", "EQ1", ""), "0");
  EXPECT_EQ(ini.ReadString("LECT", "EQ2", ""), "15");
  EXPECT_EQ(ini.ReadString("LECT", "EQ5", ""), "-15");
}

TEST_F(Equalizer, AtTheScreensLeftEdgeItStaysWhereItWasAndTheButtonToggles) {
  Prepare("Gauche=60\r\nHaut=100\r\nLargeur=300\r\nHauteur=380\r\n[LECT]\r\nEQ3=-4.5\r\n");
  Start();
  ASSERT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  HWND equalizer = Open();
  const std::string bounds = EqValue("Bounds");
  EXPECT_EQ(bounds.substr(0, 2), "0,") << bounds;
  EXPECT_EQ(EqValue("Position", "ProgressBar3"), "105") << "-4.5 dB: -45 + 150";
  // "X" is underlined while the mouse is over it.
  svtest::SendTo(equalizer, WM_MOUSEMOVE, 0, MAKELPARAM(111, 11));
  EXPECT_EQ(EqValue("FontUnderline", "LabelClose"), "1");
  svtest::SendTo(equalizer, WM_MOUSEMOVE, 0, MAKELPARAM(120, 50));
  EXPECT_EQ(EqValue("FontUnderline", "LabelClose"), "0");
  // The button closes it, and the window is freed.
  auto clicked = client.Request(appWindow, {"click", "Form1", "SpdBtnEgaliseur"});
  ASSERT_TRUE(clicked && clicked->ok);
  EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(equalizer); }));
  // "X" closes the next one.
  equalizer = Open();
  auto closed = client.Request(appWindow, {"click", "FormEgaliseur", "LabelClose"});
  ASSERT_TRUE(closed && closed->ok);
  EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(equalizer); }));
  Quit();
  EXPECT_EQ(Settings().ReadString("LECT", "EQ3", ""), "-4.5");
}

TEST_F(Equalizer, ARaisedBandIsHeard) {
  if (!std::getenv("SV_RECORDING")) GTEST_SKIP() << "needs the recording harness";
  Prepare("[LECT]\r\nLectureBoucle=0\r\n");
  const std::string tone = Place("band3.wav");
  Start();
  ASSERT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  // Once flat, to its end.
  ASSERT_EQ(Second({tone}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  ASSERT_TRUE(WaitFor("Channel", "0"));
  // y = 12 of 121 is +12.0 dB on the band of the tone's frequency; then
  // once more.
  HWND equalizer = Open();
  Press(equalizer, 3, 12);
  ASSERT_EQ(Value("EqGains"), "0.0,0.0,12.0,0.0,0.0");
  // The recording tells the two apart by the silence between them.
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  ASSERT_EQ(Second({"/play"}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  EXPECT_EQ(Band("EqEngine", 3), "1114.30/11.4/12.0");
  ASSERT_TRUE(WaitFor("Channel", "0"));
  Quit();
}

}  // namespace
}  // namespace playertest
