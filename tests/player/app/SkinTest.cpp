// The skinned main window under Wine: the shipped skins laid out and
// painted, the nine-piece background at two sizes, a broken bitmap, the
// colour key, the fade, the shown bounds, the deactivation hide and the end
// of the session. Each shipped skin leaves a picture of the window in the
// build folder (skin-<name>.png) for a person to look at.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>

#include "skin/BmpFile.h"
#include "tests/player/app/PlayerTestSupport.h"
#include "tests/player/app/PngWriter.h"
#include "tests/support/BmpWriter.h"

namespace playertest {
namespace {

class Skins : public PlayerProgram {
 protected:
  void PlaceSkins() {
    std::filesystem::copy(svtest::BuiltFile("player/app/skin"), folder / "skin",
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
  }

  void ShowWindow() {
    EXPECT_EQ(Second({"/show"}), 0u);
    ASSERT_TRUE(WaitFor("FormShown", "1"));
    ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  }

  void Resize(int width, int height) {
    SetWindowPos(mainWindow, nullptr, 100, 50, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    svtest::WaitUntil([&] { return Bounds("Form1") == "100,50," + std::to_string(width) + "," + std::to_string(height); },
                      3000);
  }

  std::string Bounds(const std::string& component) { return Value("Bounds", component == "Form1" ? "" : component); }

  // The window's client area as the window paints it; also kept as a PNG in
  // the build folder when a name is given.
  sv::skin::BmpImage Capture(const std::string& pngName = {}) {
    const std::string file = PathOf("capture.bmp");
    std::filesystem::remove(folder / "capture.bmp");
    auto reply = client.Request(appWindow, {"capture", "Form1", "", file});
    EXPECT_TRUE(reply && reply->ok) << (reply ? reply->text : "no answer");
    auto image = sv::skin::LoadBmpFile(file);
    if (!image) {
      ADD_FAILURE() << "no capture";
      return {};
    }
    if (!pngName.empty())
      WritePng(svtest::BuiltFile("tests/player/app") / ("skin-" + pngName + ".png"), image->Width, image->Height,
               image->Pixels);
    return *image;
  }

  RECT WindowRect() {
    RECT r{};
    GetWindowRect(mainWindow, &r);
    return r;
  }
};

std::string Hex(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", v);
  return text;
}

TEST_F(Skins, ShippedSkinsAreLaidOutFromTheirDesignSizeAndPainted) {
  Prepare("Gauche=100\r\nHaut=50\r\nLargeur=300\r\nHauteur=380\r\n");
  PlaceSkins();
  const std::string a = Place("a.wav"), b = Place("long.wav");
  Start();
  ASSERT_EQ(Second({a}), 0u);
  ASSERT_EQ(Second({b}), 0u);
  ASSERT_TRUE(WaitFor("CurrentIndex", "1"));
  ShowWindow();

  // The default skin at its design size, then larger: the right-hand trio
  // and the bottom row follow the bottom-right corner, the bars stretch.
  EXPECT_EQ(Bounds("Panel_Listes"), "5,5,290,340");
  EXPECT_EQ(Bounds("SpdBtnPlay"), "241,349,24,24");
  Resize(400, 500);
  EXPECT_EQ(Bounds("Panel_Listes"), "5,5,390,460");
  EXPECT_EQ(Bounds("SpdBtnPrev"), "316,469,24,24");
  EXPECT_EQ(Bounds("SpdBtnPlay"), "341,469,24,24");
  EXPECT_EQ(Bounds("SpdBtnNext"), "366,469,24,24");
  EXPECT_EQ(Bounds("ProgressBar1"), "94,470,219,8");
  EXPECT_EQ(Bounds("ProgressBar2"), "147,482,166,8");
  EXPECT_EQ(Bounds("SpdBtnEgaliseur"), "8,469,10,12");
  EXPECT_EQ(Bounds("LabelTemps"), "91,480,54,14");
  // Side by side: the tree at its saved width, the splitter, the playlist.
  EXPECT_EQ(Bounds("TreeView1"), "0,0,100,460");
  EXPECT_EQ(Bounds("Splitter1"), "100,0,3,460");
  EXPECT_EQ(Bounds("ListBox1"), "103,0,287,460");

  // The time label in its own font (the skin's bold list font would not
  // fit its box) and the skin's colour.
  auto label = State("LabelTemps");
  EXPECT_EQ(label["FontName"], "Tahoma");
  EXPECT_EQ(label["FontHeight"], "11");
  EXPECT_EQ(label["FontBold"], "0");
  EXPECT_EQ(label["FontColor"], "000000");

  // The list: item 1 plays, item 0 is selected.
  HWND list = svtest::FindChildByName(mainWindow, "ListBox1");
  ASSERT_NE(list, nullptr);
  SendMessageW(list, LB_SETSEL, FALSE, -1);
  SendMessageW(list, LB_SETSEL, TRUE, 0);
  RECT item0{}, item1{};
  SendMessageW(list, LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item0));
  SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item1));
  EXPECT_EQ((item0.bottom - item0.top) % 2, 0) << "items are \"Wg\" high, rounded up to even, + 2";
  EXPECT_GE(item0.bottom - item0.top, 14);
  const sv::skin::BmpImage shot = Capture("default");
  ASSERT_EQ(shot.Width, 400);
  ASSERT_EQ(shot.Height, 500);
  EXPECT_EQ(Hex(shot.Pixel(2, 2)), "D4D0C8") << "the window's colour";
  // The list box has a 2 px sunken edge; its items start inside it.
  const int listX = 5 + 103 + 2, listY = 5 + 2;
  // Past the end of the titles, whose length follows the test folder's name.
  EXPECT_EQ(Hex(shot.Pixel(listX + 265, listY + item0.top + 8)), "A8C8EC") << "selected background, set apart from the list";
  EXPECT_EQ(Hex(shot.Pixel(listX + 265, listY + item1.top + 8)), "EEEEEE") << "list background";
  EXPECT_EQ(Hex(shot.Pixel(5 + 50, 5 + 200)), "EEEEEE") << "the tree's background";
  bool playingText = false;
  for (int y = item1.top; y < item1.bottom; ++y)
    for (int x = 0; x < 120; ++x) playingText |= shot.Pixel(listX + x, listY + y) == 0x800000;
  EXPECT_TRUE(playingText) << "the playing entry's text in ClPlayingListe";
  // The bars in the skin's colours: the full volume bar mostly in its fill
  // colour (drawn in blocks), the seek bar of a song just started mostly in
  // its background colour.
  auto share = [&](int left, int width, int y, std::uint32_t colour) {
    int count = 0;
    for (int x = left + 1; x < left + width - 1; ++x) count += shot.Pixel(x, y) == colour;
    return count * 100 / (width - 2);
  };
  EXPECT_GE(share(147, 166, 482 + 4, 0xEEEEEE), 50);
  EXPECT_GE(share(94, 219, 470 + 4, 0x555555), 50);
  EXPECT_GE(share(94, 219, 470 + 4, 0x555555) + share(94, 219, 470 + 4, 0xEEEEEE), 95);
  // The pause glyph's bars, drawn from the skin's picture, while playing.
  EXPECT_EQ(Hex(shot.Pixel(341 + 8, 469 + 12)), "555555");
  DWORD flags = 0;
  COLORREF key = 0;
  BYTE alpha = 0;
  if (GetLayeredWindowAttributes(mainWindow, &key, &alpha, &flags)) {
    EXPECT_EQ(flags & LWA_COLORKEY, 0u);
  }

  // A skin change reloads the icons too: the one the settings name now.
  EXPECT_EQ(Value("IconFile"), "");
  folder.CopyIn(svtest::BuiltFile("player/app/Sorivanel.ico"), "own.ico");
  Settings().WriteString("DATA", "Icone", "own.ico");

  // Ardoise: a background in nine pieces, a colour key and controls tied to
  // other corners, at the same real size.
  ASSERT_EQ(Second({"/skin:ardoise"}), 0u);
  EXPECT_EQ(Value("IconFile"), PathOf("own.ico"));
  EXPECT_EQ(Value("TrayIcon"), "1");
  EXPECT_EQ(Value("TrayBackground"), "1");
  EXPECT_EQ(Bounds("Form1"), "100,50,400,500") << "the window keeps its size";
  EXPECT_EQ(Bounds("Panel_Listes"), "12,44,376,418");
  EXPECT_EQ(Bounds("SpdBtnPlay"), "38,10,24,24");
  EXPECT_EQ(Bounds("ProgressBar1"), "94,11,270,8");
  EXPECT_EQ(Bounds("ProgressBar2"), "310,26,54,8");
  EXPECT_EQ(Bounds("SpdBtnRep"), "310,468,36,24");
  EXPECT_EQ(Bounds("SpdBtnEgaliseur"), "372,8,10,12");
  EXPECT_EQ(State("LabelTemps")["FontColor"], "F0F0F0");
  ASSERT_TRUE(GetLayeredWindowAttributes(mainWindow, &key, &alpha, &flags));
  EXPECT_NE(flags & LWA_COLORKEY, 0u);
  EXPECT_EQ(key, RGB(255, 0, 255));
  const sv::skin::BmpImage slate = Capture("ardoise");
  EXPECT_EQ(Hex(slate.Pixel(0, 0)), "FF00FF") << "the rounded corner's key colour";
  EXPECT_EQ(Hex(slate.Pixel(399, 499)), "FF00FF");
  EXPECT_EQ(Hex(slate.Pixel(200, 30)), "3C4A5E") << "the title band, stretched";
  EXPECT_EQ(Hex(slate.Pixel(200, 1)), "2B3340") << "the frame";
  EXPECT_EQ(Hex(slate.Pixel(6, 300)), "4A5768") << "the body, stretched down";
  EXPECT_EQ(Hex(slate.Pixel(12 + 50, 44 + 200)), "2B3340") << "the tree in the skin's colour";
  // An icon file that is gone: the program's own again.
  Settings().WriteString("DATA", "Icone", "gone.ico");
  ASSERT_EQ(Second({"/skin:ardoise"}), 0u);
  EXPECT_EQ(Value("IconFile"), "");
  EXPECT_EQ(Value("TrayIcon"), "1");
  Quit();
  EXPECT_EQ(Settings().ReadString("DATA", "Skin", ""), "ardoise");
  EXPECT_EQ(Settings().ReadInteger("DATA", "Largeur", 0), 400);
}

TEST_F(Skins, NinePiecesAtTwoSizesAndABrokenBitmapKeepsTheWindow) {
  // Each region of the 9 x 9 bitmap has its own colour; the cut is at 4, 4.
  const std::uint32_t tl = 0xFF0000, t = 0x00FF00, tr = 0x0000FF, l = 0xFFFF00, c = 0x00FFFF, r = 0x800080,
                      bl = 0x808080, bo = 0xFF8000, br = 0x400000;
  std::vector<std::vector<std::uint32_t>> rows(9, std::vector<std::uint32_t>(9));
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) {
      const int col = x < 4 ? 0 : x == 4 ? 1 : 2, row = y < 4 ? 0 : y == 4 ? 1 : 2;
      const std::uint32_t table[3][3] = {{tl, t, tr}, {l, c, r}, {bl, bo, br}};
      rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = table[row][col];
    }
  Prepare("Skin=probe\r\nGauche=100\r\nHaut=50\r\nLargeur=300\r\nHauteur=380\r\n");
  PlaceSkins();
  std::filesystem::create_directories(folder / "skin/probe");
  std::filesystem::create_directories(folder / "skin/broken");
  // Saved run-length compressed, as older paint programs save skins.
  folder.Write("skin/probe/nine.bmp", svtest::Rle8Bmp(rows));
  folder.Write("skin/probe/skin.ini",
               "[FOND]\r\nBackgroundbmpfile=nine.bmp\r\nDuplicateW=4\r\nDuplicateH=4\r\n"
               "[POSITION]\r\nListsLeft=150\r\nListsTop=150\r\nListsWidth=20\r\nListsHeight=20\r\n");
  const std::string good = svtest::Bmp(rows);
  folder.Write("skin/broken/bad.bmp", good.substr(0, 30));
  folder.Write("skin/broken/skin.ini",
               "[FOND]\r\nBackgroundbmpfile=bad.bmp\r\n[COLOR]\r\nColorBackGround=$102030\r\n"
               "[FONT]\r\nPoliceName=Verdana\r\nPoliceSize=10\r\nPoliceBold=0\r\n"
               "[USERFONT]\r\nPoliceName=Arial\r\nPoliceItalic=1\r\n");
  Start();
  ShowWindow();
  for (const auto& [w, h] : {std::pair{300, 380}, std::pair{420, 460}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    Resize(w, h);
    const sv::skin::BmpImage shot = Capture(w == 300 ? "" : "probe");
    ASSERT_EQ(shot.Width, w);
    const struct {
      int x, y;
      std::uint32_t colour;
    } probes[] = {{1, 1, tl},         {w / 2, 1, t},         {w - 2, 1, tr},         {1, h / 2, l},     {60, 60, c},
                  {w - 2, h / 2, r},  {1, h - 2, bl},        {w / 2, h - 2, bo},     {w - 2, h - 2, br}, {3, 3, tl},
                  {4, 3, t},          {w - 5, 3, t},         {w - 4, 4, r},          {4, 4, c},         {w - 5, h - 5, c}};
    for (const auto& p : probes) EXPECT_EQ(Hex(shot.Pixel(p.x, p.y)), Hex(p.colour)) << p.x << "," << p.y;
  }
  // The minimum size comes with the bitmap.
  Resize(100, 50);
  EXPECT_EQ(Bounds("Form1"), "100,50,300,100");
  Resize(420, 460);

  // A bitmap that cannot be read: no message, the window keeps its size and
  // its minimum, the rest of the skin applies.
  ASSERT_EQ(Second({"/skin:broken"}), 0u);
  EXPECT_EQ(Bounds("Form1"), "100,50,420,460");
  const sv::skin::BmpImage plain = Capture();
  EXPECT_EQ(Hex(plain.Pixel(1, 1)), "302010");
  // The user's font over the skin's, key by key, for the lists.
  EXPECT_EQ(Value("ListFont"), "Arial,13,400,1") << "10 points";
  // The skin's 10-point font goes to the lists only: the time label keeps
  // the font its box is sized for.
  auto label = State("LabelTemps");
  EXPECT_EQ(label["FontName"], "Tahoma");
  EXPECT_EQ(label["FontHeight"], "11");
  EXPECT_EQ(label["FontItalic"], "0");
  Resize(100, 50);
  EXPECT_EQ(Bounds("Form1"), "100,50,300,100");
  Quit();
}

TEST_F(Skins, WithoutTheSkinFolderTheButtonsShowBuiltInPictures) {
  // No "skin" folder beside the program at all.
  Prepare("Gauche=100\r\nHaut=50\r\nLargeur=300\r\nHauteur=380\r\n");
  Start();
  ShowWindow();
  const sv::skin::BmpImage shot = Capture("no-skin-folder");
  ASSERT_EQ(shot.Width, 300);
  for (const char* button :
       {"SpdBtnEgaliseur", "SpdBtnOptions", "SpdBtnRep", "SpdBtnListe", "SpdBtnPrev", "SpdBtnPlay", "SpdBtnNext"}) {
    int left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(std::sscanf(Bounds(button).c_str(), "%d,%d,%d,%d", &left, &top, &width, &height), 4) << button;
    // The transport buttons are disabled with an empty playlist: their
    // pictures are greyed, not in the ink colour.
    int ink = 0;
    for (int y = top; y < top + height && y < shot.Height; ++y)
      for (int x = left; x < left + width && x < shot.Width; ++x) ink += shot.Pixel(x, y) != 0xD4D0C8;
    EXPECT_GE(ink, 12) << button << " has no picture";
  }
  EXPECT_EQ(Value("PlayGlyph"), "play");
  Quit();
}

TEST_F(Skins, FadeShownBoundsAndDeactivation) {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  // 20 px past the right edge: brought back 15 px inside.
  Prepare("Gauche=" + std::to_string(area.right - 280) + "\r\nHaut=100\r\nLargeur=300\r\nHauteur=380\r\n");
  PlaceSkins();
  Start();
  EXPECT_EQ(Second({"/show"}), 0u);
  // The opacity only ever takes the fade's steps, rising, until the window
  // is opaque without alpha blending.
  std::vector<int> seen;
  svtest::WaitUntil(
      [&] {
        DWORD flags = 0;
        COLORREF key = 0;
        BYTE alpha = 0;
        if (!GetLayeredWindowAttributes(mainWindow, &key, &alpha, &flags) || !(flags & LWA_ALPHA)) return true;
        if (seen.empty() || seen.back() != alpha) seen.push_back(alpha);
        return false;
      },
      5000);
  for (int alpha : seen) EXPECT_TRUE((alpha % 50 == 0 && alpha <= 250) || alpha == 255) << alpha;
  EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << ::testing::PrintToString(seen);
  EXPECT_EQ(WindowRect().left, area.right - 300 - 15);
  EXPECT_EQ(WindowRect().top, 100);

  // Another program's window comes forward: the player hides.
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
  SetForegroundWindow(other);
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) == FALSE; }));
  EXPECT_EQ(Value("FormShown"), "0");
  Quit();

  // Stay visible: no hide. A window saved partly off the left and top
  // edges keeps them, shown after a hide too.
  folder.Write("Sorivanel.ini", "[DATA]\r\nCheckNouvelleVersion=0\r\nResteAffichee=1\r\nGauche=-100\r\nHaut=-40\r\n"
                                "Largeur=300\r\nHauteur=380\r\n");
  Start();
  ShowWindow();
  EXPECT_EQ(WindowRect().left, -100);
  EXPECT_EQ(WindowRect().top, -40);
  ASSERT_EQ(Second({"/show"}), 0u);  // a toggle: hides
  ASSERT_TRUE(WaitFor("FormShown", "0"));
  ShowWindow();
  EXPECT_EQ(WindowRect().left, -100);
  EXPECT_EQ(WindowRect().top, -40);
  // Moved 4 px from the work area's edge, the window snaps onto it; 6 px
  // away it stays.
  SetWindowPos(mainWindow, nullptr, area.left + 4, area.top + 50, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(WindowRect().left, area.left);
  SetWindowPos(mainWindow, nullptr, area.left + 6, area.top + 50, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(WindowRect().left, area.left + 6);
  SetForegroundWindow(other);
  svtest::PumpMessages();
  Sleep(300);
  svtest::PumpMessages();
  EXPECT_TRUE(IsWindowVisible(mainWindow));
  DestroyWindow(other);
  Quit();
}

// The hidden windows of the player that take the tray icons' notifications.
struct UtilitySearch {
  DWORD processId;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectUtilityWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<UtilitySearch*>(data);
  if (svtest::WindowProcess(window) == search.processId && svtest::WindowClass(window) == "SorivanelUtilityWindow")
    search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> UtilityWindows(DWORD processId) {
  UtilitySearch search{processId, {}};
  EnumWindows(&CollectUtilityWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(Skins, ALeftPressOnTheTrayIconTogglesTheWindow) {
  PlaceSkins();
  Start();
  const auto press = [&] {
    // The icon's number is not known from outside: every small one is tried,
    // the others are ignored.
    for (HWND window : UtilityWindows(player->Id()))
      for (WPARAM id = 1; id <= 8; ++id) svtest::PostTo(window, 0x800, id, WM_LBUTTONDOWN);
  };
  press();
  EXPECT_TRUE(WaitFor("FormShown", "1"));
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  press();
  EXPECT_TRUE(WaitFor("FormShown", "0"));
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) == FALSE; }));
  Quit();
}

TEST_F(Skins, TheEndOfTheSessionSavesOnlyWhenItReallyEnds) {
  Prepare("Gauche=100\r\nHaut=50\r\nLargeur=300\r\nHauteur=380\r\n");
  PlaceSkins();
  Start();
  ShowWindow();
  Resize(333, 444);
  const std::string before = folder.Read("Sorivanel.ini").value_or("");
  EXPECT_EQ(svtest::SendTo(mainWindow, WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_EQ(svtest::SendTo(mainWindow, WM_ENDSESSION, FALSE, 0), 0);
  EXPECT_TRUE(player->Running());
  EXPECT_EQ(folder.Read("Sorivanel.ini").value_or(""), before) << "a cancelled session end saves nothing";
  // The session ends: the settings are saved before the answer.
  svtest::SendTo(mainWindow, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(Settings().ReadInteger("DATA", "Largeur", 0), 333);
  EXPECT_EQ(Settings().ReadInteger("DATA", "Hauteur", 0), 444);
  EXPECT_TRUE(folder.Read("Sorivanel.m3u").has_value());
  EXPECT_TRUE(player->WaitForExit(15000));
}

}  // namespace
}  // namespace playertest
