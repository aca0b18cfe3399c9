// The player's texts from the language file in "lang\" beside it, read back
// from the tray menu as the player shows it (GetMenuItemInfoW on the open
// menu, inside the player) and from the controls' hints.
#include <algorithm>
#include <string>
#include <vector>

#include "desktop/TrayIcon.h"
#include "tests/player/app/PlayerTestSupport.h"
#include "tests/support/PngFile.h"
#include "tests/support/ScreenPicture.h"

namespace playertest {
namespace {

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (svtest::WindowProcess(window) == search->processId && std::wstring(name) == search->className)
    search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className) {
  WindowSearch search{processId, className, {}};
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The menu shows these captions in this order; other entries may stand
// between them.
::testing::AssertionResult ShowsInOrder(const std::vector<std::string>& items,
                                        const std::vector<std::string>& expected) {
  std::size_t at = 0;
  for (const std::string& item : items)
    if (at < expected.size() && item == expected[at]) ++at;
  if (at == expected.size()) return ::testing::AssertionSuccess();
  std::string shown;
  for (const std::string& item : items) shown += "[" + item + "] ";
  return ::testing::AssertionFailure() << "no [" << expected[at] << "] in order in " << shown;
}

class PlayerLanguage : public PlayerProgram {
 protected:
  // Prepare's settings already open section DATA.
  void PrepareWithLanguage(const std::string& file) { Prepare("Langue=" + file + "\r\n"); }

  void WriteLanguage(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories(folder / "lang");
    folder.Write("lang/" + name, bytes);
  }
  void InstallShipped() {
    std::filesystem::create_directories(folder / "lang");
    for (const char* name : {"lang-en.ini", "lang-fr.ini"})
      folder.CopyIn(svtest::BuiltFile(std::string("player/app/lang/") + name), std::string("lang/") + name);
  }

  // Opens the tray icon's menu as a right click does, reads its items and
  // closes it again.
  std::vector<std::string> TrayMenu(const std::string& picture = {}) {
    // The icon's notifications go to the tray's hidden window; the player's
    // one icon has the number 1.
    for (HWND window : WindowsOf(player->Id(), L"SorivanelUtilityWindow"))
      PostMessageW(window, desktop::kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
    HWND menuWindow = nullptr;
    if (!svtest::WaitUntil(
            [&] {
              for (HWND window : WindowsOf(player->Id(), L"#32768"))
                if (IsWindowVisible(window)) menuWindow = window;
              return menuWindow != nullptr;
            },
            10000)) {
      ADD_FAILURE() << "the tray menu did not open";
      return {};
    }
    if (!picture.empty()) {
      // Painted before the picture is taken.
      UpdateWindow(menuWindow);
      svtest::SaveScreenPng(menuWindow, svtest::BuildRoot() / picture);
    }
    const auto menu = svtest::SendTo(menuWindow, MN_GETHMENU);
    std::vector<std::string> items;
    if (menu && *menu) {
      auto reply = client.Request(appWindow, {"menu", "#" + std::to_string(static_cast<UINT_PTR>(*menu))});
      if (reply && reply->ok) {
        std::size_t start = 0;
        for (std::size_t end; (end = reply->text.find('\n', start)) != std::string::npos; start = end + 1)
          items.push_back(reply->text.substr(start, end - start));
      } else {
        ADD_FAILURE() << "the menu could not be read: " << (reply ? reply->text : "no answer");
      }
    } else {
      ADD_FAILURE() << "no menu handle from the menu window";
    }
    PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(menuWindow) || !IsWindowVisible(menuWindow); }, 10000))
        << "the tray menu did not close";
    return items;
  }

  std::string Hint(const std::string& component) { return Value("Hint", component); }
};

TEST_F(PlayerLanguage, WithoutLanguageFolderTheTextsAreTheBuiltInFrenchOnes) {
  Start();
  EXPECT_TRUE(ShowsInOrder(TrayMenu(), {"Afficher", "Lecture / Pause", "Précédente", "Suivante", "Lecture aléatoire",
                                        "Lecture en boucle", "Reste affichée", "Quitter"}));
  EXPECT_EQ(Hint("SpdBtnPrev"), "Précédente");
  EXPECT_EQ(Hint("SpdBtnRep"), "Répertoires");
  EXPECT_EQ(Hint("ProgressBar2"), "Volume");
  Quit();
}

TEST_F(PlayerLanguage, TheShippedEnglishFileIsTheDefaultAndFrenchCanBeChosen) {
  Prepare();
  InstallShipped();
  Start();
  EXPECT_TRUE(ShowsInOrder(TrayMenu("player-menu-english.png"), {"Show", "Play / Pause", "Previous", "Next", "Shuffle",
                                                                 "Repeat playlist", "Stay visible", "Quit"}));
  EXPECT_EQ(Hint("SpdBtnPrev"), "Previous");
  EXPECT_EQ(Hint("SpdBtnListe"), "Playlist");
  EXPECT_EQ(Hint("ProgressBar1"), "Position");

  // A picture of the main window in English, for a person to look at.
  EXPECT_EQ(Second({}), 0u);
  ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  const std::string bmp = PathOf("main.bmp");
  auto reply = client.Request(appWindow, {"capture", "Form1", "", bmp});
  ASSERT_TRUE(reply && reply->ok) << (reply ? reply->text : "no answer");
  svtest::ConvertBmpToPng(bmp, svtest::PathToUtf8(svtest::BuildRoot() / "player-main-english.png"));
  Quit();
  // The choice is written back as the file name alone.
  EXPECT_EQ(Settings().ReadString("DATA", "Langue", ""), "lang-en.ini");

  PrepareWithLanguage("lang-fr.ini");
  Start();
  EXPECT_TRUE(ShowsInOrder(TrayMenu(), {"Afficher", "Précédente", "Suivante", "Quitter"}));
  EXPECT_EQ(Hint("SpdBtnListe"), "Playliste");
  Quit();
}

TEST_F(PlayerLanguage, AFileOverridingSomeKeysBlankingOneAndHoldingAnyScript) {
  PrepareWithLanguage("lang-xx.ini");
  WriteLanguage("lang-xx.ini",
                "\xEF\xBB\xBF[menu]\r\n"
                "MenuQuitter = \"Sortir d'ici\" \r\n"
                "MenuShuffle=\r\n"
                "MenuAfficher=Показать 表示 – déjà\r\n"
                "MenuQuitter=second occurrence\r\n"
                "[MAIN]\r\n"
                "SpdBtnNext=Ἑπόμενο\r\n"
                "SpdBtnRep='  '\r\n");
  Start();
  const std::vector<std::string> items = TrayMenu();
  // Précédente is not in the file: the built-in text. MAIN SpdBtnNext feeds
  // the menu item too. The shuffle entry is present and empty: blank.
  EXPECT_TRUE(ShowsInOrder(items, {"Показать 表示 – déjà", "Précédente", "Ἑπόμενο", "", "Lecture en boucle",
                                   "Sortir d'ici"}));
  EXPECT_EQ(std::count(items.begin(), items.end(), "Lecture aléatoire"), 0);
  EXPECT_EQ(Hint("SpdBtnNext"), "Ἑπόμενο");
  EXPECT_EQ(Hint("SpdBtnRep"), "  ");
  EXPECT_EQ(Hint("SpdBtnPlay"), "Lecture / Pause");
  Quit();
}

TEST_F(PlayerLanguage, AnOlderFileInTheAnsiCodePageKeepsItsAccents) {
  PrepareWithLanguage("lang-old.ini");
  WriteLanguage("lang-old.ini",
                "[MENU]\r\nMenuAfficher=Fen\xEAtre \x96 \xE0 c\xF4t\xE9\r\n"
                "[MAIN]\r\nSpdBtnPrev=Pr\xE9\x63\xE9\x64\x65nt\r\n");
  Start();
  EXPECT_TRUE(ShowsInOrder(TrayMenu(), {"Fenêtre – à côté", "Précédent", "Quitter"}));
  EXPECT_EQ(Hint("SpdBtnPrev"), "Précédent");
  Quit();
}

}  // namespace
}  // namespace playertest
