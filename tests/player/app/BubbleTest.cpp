// The info bubble of the running player: sampled while it slides in at the
// corner of the work area, holds and slides away; its look in both shipped
// skins (kept as bubble-<skin>.png); a long title that wraps; the cover's
// box; the click that brings up the main window; and when it stays away.
#include <cstdio>
#include <thread>
#include <vector>

#include "tests/player/app/WindowShots.h"
#include "tests/support/PaintedText.h"
#include "tests/support/ScreenPicture.h"

namespace playertest {
namespace {

using namespace std::chrono_literals;

struct Sample {
  RECT rect{};
  int alpha = -1;
  bool visible = false;
  HWND foreground = nullptr;
};

class Bubble : public WindowShots {
 protected:
  HWND BubbleWindow() {
    HWND window = player->WaitForWindow("TFormInfoBulle", "", 20000);
    EXPECT_NE(window, nullptr);
    return window;
  }

  std::string BubbleValue(const std::string& key, const std::string& component = "") {
    auto state = FormState("FormInfoBulle", component);
    auto found = state.find(key);
    return found == state.end() ? "<none>" : found->second;
  }

  static Sample Take(HWND window) {
    Sample s;
    GetWindowRect(window, &s.rect);
    s.visible = IsWindowVisible(window) != FALSE;
    BYTE alpha = 0;
    DWORD flags = 0;
    COLORREF key = 0;
    if (GetLayeredWindowAttributes(window, &key, &alpha, &flags) && (flags & LWA_ALPHA)) s.alpha = alpha;
    s.foreground = GetForegroundWindow();
    return s;
  }

  // Samples from now until the bubble has shown and gone again; `held`
  // runs once while it holds still at its place.
  std::vector<Sample> Follow(HWND window, const std::function<void()>& held = {}) {
    std::vector<Sample> samples;
    bool seen = false, heldDone = !held;
    svtest::WaitUntil([&] {
      const Sample s = Take(window);
      seen |= s.visible;
      if (s.visible) samples.push_back(s);
      if (!heldDone && s.visible && BubbleValue("AnimState") == "1") {
        heldDone = true;
        held();
      }
      return seen && !s.visible;
    }, 60000);
    return samples;
  }

  // The bubble's text, measured where it is painted (the ink a bitmap of
  // the bubble window's format receives, in the label's font), fits the
  // label's box whole: no line is cut at the right or the bottom.
  void ExpectTextFits(HWND window) {
    auto label = FormState("FormInfoBulle", "Label1");
    int left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(label["Bounds"].c_str(), "%d,%d,%d,%d", &left, &top, &width, &height), 4);
    std::string text = BubbleValue("Text");
    for (std::size_t at = text.find("\\r\\n"); at != std::string::npos; at = text.find("\\r\\n", at))
      text.replace(at, 4, "\r\n");
    const bool wrapped = BubbleValue("WordWrap") == "1";
    const UINT flags = DT_NOPREFIX | DT_EXPANDTABS | (wrapped ? DT_WORDBREAK | DT_EDITCONTROL : 0);
    const SIZE needed = svtest::PaintedTextSize(window, label, text, flags, wrapped ? width : 0);
    EXPECT_LE(needed.cx, width) << text;
    EXPECT_LE(needed.cy, height) << text;
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_LE(left + width, client.right) << "the label lies inside the bubble";
    EXPECT_LE(top + height, client.bottom);
  }

  static RECT WorkArea() {
    RECT area{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
  }
};

// A window of the test's own that has the focus; the bubble must leave it.
class FocusWindow {
 public:
  FocusWindow() {
    window_ = CreateWindowExW(0, L"STATIC", L"the user's window", WS_POPUP | WS_VISIBLE, 10, 10, 120, 40, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(window_);
    svtest::PumpMessages();
  }
  ~FocusWindow() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }

 private:
  HWND window_;
};

TEST_F(Bubble, SlidesInAtTheCornerHoldsAndLeavesWithoutTakingTheFocus) {
  Prepare();
  PlaceSkins();
  const std::string song = Place("long.wav", "share - sorivanel - demo of a title of some length.wav");
  Start();
  HWND bubble = BubbleWindow();
  FocusWindow focus;
  HWND before = GetForegroundWindow();
  ASSERT_EQ(Second({song}), 0u);
  sv::skin::BmpImage shot;
  const std::vector<Sample> samples = Follow(bubble, [&] {
    shot = CaptureForm("FormInfoBulle", "bubble-default");
    // As the screen shows it, too.
    svtest::SaveScreenPng(bubble, svtest::BuiltFile("tests/player/app") / "bubble-default-screen.png");
  });
  ASSERT_GE(samples.size(), 3u);
  EXPECT_EQ(BubbleValue("Text"), "Sorivanel\\r\\n" + Value("Bubble"));

  // The place it rests at: 15 px inside the bottom-right corner.
  const RECT area = WorkArea();
  // The last sample at its highest point and most opaque: the end of the
  // hold. A step sets the opacity before it moves, and a sample may fall
  // between the two.
  std::size_t rest = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Sample &s = samples[i], &best = samples[rest];
    if (s.rect.top < best.rect.top || (s.rect.top == best.rect.top && s.alpha >= best.alpha)) rest = i;
  }
  const RECT shown = samples[rest].rect;
  EXPECT_EQ(shown.right, area.right - 15);
  EXPECT_EQ(shown.bottom, area.bottom - 15);
  EXPECT_GE(shown.right - shown.left, 100);
  EXPECT_GE(shown.bottom - shown.top, 40);
  // Up and more opaque until it rests, then down and fainter.
  for (std::size_t i = 1; i < samples.size(); ++i) {
    const Sample &a = samples[i - 1], &b = samples[i];
    EXPECT_EQ(b.rect.left, shown.left);
    EXPECT_EQ(b.rect.right - b.rect.left, shown.right - shown.left);
    if (i <= rest) {
      EXPECT_LE(b.rect.top, a.rect.top) << i;
      EXPECT_GE(b.alpha, a.alpha) << i;
    } else {
      EXPECT_GE(b.rect.top, a.rect.top) << i;
      EXPECT_LE(b.alpha, a.alpha) << i;
    }
  }
  EXPECT_EQ(samples[rest].alpha, 255);
  for (const Sample& s : samples) EXPECT_EQ(s.foreground, before);
  EXPECT_EQ(GetForegroundWindow(), before);
  EXPECT_EQ(BubbleValue("Animating"), "0");

  // The default skin: plain colours, the text in the skin's text colour.
  ASSERT_GT(shot.Width, 0);
  EXPECT_EQ(shot.Width, shown.right - shown.left);
  EXPECT_EQ(Rgb(shot.Pixel(1, 1)), "EEEEEE");
  int text = 0;
  for (std::uint32_t p : shot.Pixels) text += p == 0x555555;
  EXPECT_GT(text, 20) << "text drawn in ColorText";
  ExpectTextFits(bubble);
  Quit();
}

TEST_F(Bubble, ArdoiseIsCutInNinePiecesWithItsKeyAndALongTitleWraps) {
  // An opacity no slider gives: it is kept within 0..255 and the bubble
  // still goes away.
  Prepare("Skin=ardoise\r\nInfoBulleTransparency=300\r\n");
  PlaceSkins();
  const std::string song = Place("long.wav", std::string(200, 'w') + ".wav");
  Start();
  HWND bubble = BubbleWindow();
  ASSERT_EQ(Second({song}), 0u);
  sv::skin::BmpImage shot;
  std::map<std::string, std::string> held;
  const std::vector<Sample> samples = Follow(bubble, [&] {
    shot = CaptureForm("FormInfoBulle", "bubble-ardoise");
    held = FormState("FormInfoBulle");
  });
  ASSERT_FALSE(samples.empty());
  EXPECT_EQ(held["Opacity"], "255");
  EXPECT_EQ(held["Margins"], "10,8,10,8");
  EXPECT_EQ(held["WordWrap"], "1");
  DWORD flags = 0;
  COLORREF key = 0;
  BYTE alpha = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(bubble, &key, &alpha, &flags));
  EXPECT_NE(flags & LWA_COLORKEY, 0u);
  EXPECT_EQ(key, RGB(255, 0, 255));

  // Wrapped within two thirds of the screen, on more than two lines.
  const int screen = GetSystemMetrics(SM_CXSCREEN);
  ASSERT_GT(shot.Width, 0);
  EXPECT_LE(shot.Width, 2 * screen / 3 + 20);
  EXPECT_GT(shot.Height, 3 * 13 + 16);
  // Corners cut in the key colour, the rim stretched along the edges, the
  // body inside it.
  const int w = shot.Width, h = shot.Height;
  EXPECT_EQ(Rgb(shot.Pixel(0, 0)), "FF00FF");
  EXPECT_EQ(Rgb(shot.Pixel(w - 1, h - 1)), "FF00FF");
  EXPECT_EQ(Rgb(shot.Pixel(w - 1, 0)), "FF00FF");
  EXPECT_EQ(Rgb(shot.Pixel(0, h / 2)), "8A9BB0");
  EXPECT_EQ(Rgb(shot.Pixel(w / 2, h - 1)), "8A9BB0");
  EXPECT_EQ(Rgb(shot.Pixel(5, h / 2)), "2B3340");
  int text = 0;
  for (std::uint32_t p : shot.Pixels) text += p == 0xC0C8D0;
  EXPECT_GT(text, 50) << "text drawn in ColorText";
  ExpectTextFits(bubble);
  Quit();
}

TEST_F(Bubble, CoversSetTheirBoxAndAClickShowsTheMainWindow) {
  Prepare("AlbumCoverPreview=1\r\n");
  PlaceSkins();
  const std::string tall = Place("cover1.mp3"), wide = Place("cover2.mp3");
  Start();
  HWND bubble = BubbleWindow();
  // 150 x 200: 70 high; 400 x 300: 70 wide.
  ASSERT_EQ(Second({tall}), 0u);
  ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(bubble) != FALSE; }));
  EXPECT_EQ(BubbleValue("Bounds", "ImgAlbum"), "5,5,52,70");
  EXPECT_EQ(BubbleValue("HasPicture", "ImgAlbum"), "1");
  EXPECT_EQ(BubbleValue("PictureChecksum", "ImgAlbum"), Value("PictureChecksum", "ImgPreviewAlbum"));
  const std::string label = BubbleValue("Bounds", "Label1");
  EXPECT_EQ(label.substr(0, 3), "62,") << label;
  ASSERT_EQ(Second({wide}), 0u);
  EXPECT_EQ(BubbleValue("Bounds", "ImgAlbum"), "5,5,70,52");
  CaptureForm("FormInfoBulle", "bubble-cover");

  // A click on the bubble brings up the main window, which sends it away.
  svtest::PostTo(bubble, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  svtest::PostTo(bubble, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  EXPECT_EQ(BubbleValue("Animating"), "0");
  EXPECT_FALSE(IsWindowVisible(bubble));
  // While the window is shown a new song brings no bubble.
  ASSERT_EQ(Second({tall}), 0u);
  EXPECT_EQ(BubbleValue("Animating"), "0");
  EXPECT_FALSE(IsWindowVisible(bubble));
  Quit();
}

TEST_F(Bubble, ABrokenBackgroundLeavesAPlainBubbleAtItsOpacity) {
  Prepare("Skin=broken\r\nInfoBulleTransparency=128\r\n");
  std::filesystem::create_directories(folder / "skin/broken");
  folder.Write("skin/broken/skin.ini",
               "[INFOBULLE]\r\nBackgroundbmpfile=bad.bmp\r\nColorBackGround=$204060\r\nTextLeftDistance=9\r\n");
  folder.Write("skin/broken/bad.bmp", "BM, but not a picture at all");
  const std::string song = Place("long.wav", "Simon & Garfunkel.wav");
  // No box at the start: the picture counts as missing, the rest applies.
  Start();
  HWND bubble = BubbleWindow();
  ASSERT_EQ(Second({song}), 0u);
  ASSERT_TRUE(svtest::WaitUntil([&] { return BubbleValue("AnimState") == "1"; }));
  EXPECT_EQ(BubbleValue("Margins"), "9,5,5,5");
  // Held at the chosen opacity.
  DWORD flags = 0;
  COLORREF key = 0;
  BYTE alpha = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(bubble, &key, &alpha, &flags));
  EXPECT_NE(flags & LWA_ALPHA, 0u);
  EXPECT_EQ(alpha, 128);
  EXPECT_EQ(flags & LWA_COLORKEY, 0u);
  EXPECT_NE(BubbleValue("Text").find("Simon & Garfunkel"), std::string::npos);
  const sv::skin::BmpImage shot = CaptureForm("FormInfoBulle");
  ASSERT_GT(shot.Width, 0);
  EXPECT_EQ(Rgb(shot.Pixel(2, 2)), "604020");
  EXPECT_EQ(Rgb(shot.Pixel(shot.Width - 2, shot.Height - 2)), "604020");
  Quit();
  EXPECT_FALSE(IsWindow(bubble));
}

TEST_F(Bubble, StaysAwayWhenSwitchedOff) {
  Prepare("AfficherBallon=0\r\n");
  const std::string song = Place("long.wav", "Tune.wav");
  Start();
  HWND bubble = BubbleWindow();
  ASSERT_EQ(Second({song}), 0u);
  ASSERT_TRUE(WaitFor("Playing", "1"));
  EXPECT_EQ(BubbleValue("Animating"), "0");
  EXPECT_FALSE(IsWindowVisible(bubble));
  Quit();
}

}  // namespace
}  // namespace playertest
