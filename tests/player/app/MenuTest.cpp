// The tray menu and the window's right-click menu of the running player,
// chosen from with the keyboard as a user does: showing, opening files, the
// transport, the three options and quitting, and a quit that arrives while
// the menu opens.
#include <algorithm>
#include <string>
#include <vector>

#include "desktop/TrayIcon.h"
#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {
namespace {

struct WindowSearch {
  DWORD processId;
  std::wstring className;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<WindowSearch*>(data);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (svtest::WindowProcess(window) == search.processId && search.className == name) search.found.push_back(window);
  return TRUE;
}

std::vector<HWND> WindowsOf(DWORD processId, const wchar_t* className) {
  WindowSearch search{processId, className, {}};
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class Menus : public PlayerProgram {
 protected:
  // A right press on the tray icon, as the shell reports it; the player's
  // one icon has the number 1.
  HWND OpenTrayMenu() {
    for (HWND window : WindowsOf(player->Id(), L"SorivanelUtilityWindow"))
      PostMessageW(window, desktop::kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
    return OpenedMenu();
  }

  // A right press on the window's background, left of the lists.
  HWND OpenWindowMenu() {
    PostMessageW(mainWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 200));
    return OpenedMenu();
  }

  HWND OpenedMenu() {
    HWND menuWindow = nullptr;
    svtest::WaitUntil(
        [&] {
          for (HWND window : WindowsOf(player->Id(), L"#32768"))
            if (IsWindowVisible(window)) menuWindow = window;
          return menuWindow != nullptr;
        },
        10000);
    EXPECT_NE(menuWindow, nullptr) << "no menu opened";
    return menuWindow;
  }

  // The captions of an open menu, "-" for a separator.
  std::vector<std::string> Items(HWND menuWindow) {
    std::vector<std::string> items;
    const auto menu = svtest::SendTo(menuWindow, MN_GETHMENU);
    if (!menu || !*menu) {
      ADD_FAILURE() << "no menu handle";
      return items;
    }
    auto reply = client.Request(appWindow, {"menu", "#" + std::to_string(static_cast<UINT_PTR>(*menu))});
    if (!reply || !reply->ok) {
      ADD_FAILURE() << "the menu could not be read";
      return items;
    }
    std::size_t start = 0;
    for (std::size_t end; (end = reply->text.find('\n', start)) != std::string::npos; start = end + 1)
      items.push_back(reply->text.substr(start, end - start));
    return items;
  }

  // Chooses an item with the arrow keys and Enter, which pass over the
  // separators; the menu then closes.
  void Choose(HWND menuWindow, const std::string& caption) {
    const std::vector<std::string> items = Items(menuWindow);
    int downs = 0;
    bool found = false;
    for (const std::string& item : items) {
      if (item == "-") continue;
      ++downs;
      if (item == caption) {
        found = true;
        break;
      }
    }
    ASSERT_TRUE(found) << caption;
    for (int i = 0; i < downs; ++i) Key(menuWindow, VK_DOWN);
    Key(menuWindow, VK_RETURN);
    EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(menuWindow) || !IsWindowVisible(menuWindow); }, 10000))
        << "the menu stayed open";
  }

  void Dismiss(HWND menuWindow) {
    Key(menuWindow, VK_ESCAPE);
    EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(menuWindow) || !IsWindowVisible(menuWindow); }, 10000));
  }

  static void Key(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 0);
    PostMessageW(window, WM_KEYUP, key, 0xC0000000);
  }

  static bool Has(const std::vector<std::string>& items, const std::string& caption) {
    return std::find(items.begin(), items.end(), caption) != items.end();
  }
};

TEST_F(Menus, TheTrayAndWindowMenusShowTheWindowAndSetTheOptionsThatTheCloseSaves) {
  Prepare("Gauche=100\r\nHaut=50\r\nLargeur=300\r\nHauteur=380\r\n[LECT]\r\nLectureBoucle=0\r\n");
  Start();
  // Hidden: the tray menu offers to show.
  HWND menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(Items(menu), (std::vector<std::string>{"Afficher", "Ouvrir un fichier", "-", "Lecture / Pause",
                                                    "Précédente", "Suivante", "-", "Lecture aléatoire",
                                                    "Lecture en boucle", "Reste affichée", "Options...", "-",
                                                    "Quitter"}));
  Choose(menu, "Afficher");
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));

  // Shown: no "Afficher" in either menu; the window's own menu is the tray's.
  menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(Has(Items(menu), "Afficher"));
  Choose(menu, "Reste affichée");
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  const std::vector<std::string> items = Items(menu);
  EXPECT_FALSE(Has(items, "Afficher"));
  EXPECT_TRUE(Has(items, "Quitter"));
  Choose(menu, "Lecture aléatoire");
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  Choose(menu, "Lecture en boucle");
  EXPECT_EQ(Value("FormShown"), "1");

  // "Reste affichée" is ticked: another program's window leaves it shown.
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
  SetForegroundWindow(other);
  svtest::PumpMessages();
  Sleep(300);
  svtest::PumpMessages();
  EXPECT_TRUE(IsWindowVisible(mainWindow));
  DestroyWindow(other);

  // The open-file entry brings the system's dialog.
  watcher.reset();
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  Choose(menu, "Ouvrir un fichier");
  const HWND dialog = svtest::WaitForWindow("#32770", "", 15000, player->Id());
  ASSERT_NE(dialog, nullptr) << "no open dialog";
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(dialog); }, 15000));

  // Quitting from the window's menu saves the three options.
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  Choose(menu, "Quitter");
  ASSERT_TRUE(player->WaitForExit(30000));
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
  EXPECT_TRUE(Settings().ReadBool("DATA", "ResteAffichee", false));
  EXPECT_TRUE(Settings().ReadBool("LECT", "Shuffle", false));
  EXPECT_TRUE(Settings().ReadBool("LECT", "LectureBoucle", false));
  EXPECT_EQ(Settings().ReadInteger("DATA", "Largeur", 0), 300);
}

TEST_F(Menus, TheTransportEntriesPlayPauseAndMoveThroughThePlaylist) {
  Prepare();
  const std::string a = Place("long.wav", "a.wav"), b = Place("long.wav", "b.wav");
  Start();
  ASSERT_EQ(Second({a}), 0u);
  ASSERT_EQ(Second({b}), 0u);
  ASSERT_TRUE(WaitFor("CurrentIndex", "1"));
  ASSERT_TRUE(WaitFor("Playing", "1"));

  HWND menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  Choose(menu, "Précédente");
  EXPECT_TRUE(WaitFor("CurrentIndex", "0"));
  EXPECT_TRUE(WaitFor("Playing", "1"));
  menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  Choose(menu, "Lecture / Pause");
  EXPECT_TRUE(WaitFor("Playing", "0"));
  EXPECT_EQ(Value("CurrentIndex"), "0");

  ASSERT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  Choose(menu, "Lecture / Pause");
  EXPECT_TRUE(WaitFor("Playing", "1"));
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  Choose(menu, "Suivante");
  EXPECT_TRUE(WaitFor("CurrentIndex", "1"));
  EXPECT_TRUE(WaitFor("Playing", "1"));
  // A menu closed without a choice changes nothing.
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  Dismiss(menu);
  EXPECT_EQ(Value("CurrentIndex"), "1");
  EXPECT_EQ(Value("FormShown"), "1");

  // While the options window is open, another program coming forward
  // leaves the main window shown; once it is closed, that hides it.
  menu = OpenWindowMenu();
  ASSERT_NE(menu, nullptr);
  Choose(menu, "Options...");
  const HWND options = player->WaitForWindow("TFormOptions", "", 20000);
  ASSERT_NE(options, nullptr);
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
  SetForegroundWindow(other);
  svtest::PumpMessages();
  Sleep(300);
  svtest::PumpMessages();
  EXPECT_TRUE(IsWindowVisible(mainWindow));
  EXPECT_EQ(Value("FormShown"), "1");
  PostMessageW(options, WM_CLOSE, 0, 0);
  ASSERT_TRUE(svtest::WaitUntil([&] { return !IsWindow(options); }, 10000));
  // The closing may already have let the other program's activation through.
  if (Value("FormShown") != "1") {
    ASSERT_EQ(Second({"/show"}), 0u);
  }
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  SetForegroundWindow(other);
  EXPECT_TRUE(WaitFor("FormShown", "0"));
  DestroyWindow(other);
  Quit();
}

TEST_F(Menus, AQuitArrivingWhileTheTrayMenuOpensWaitsForItAndClosesOnce) {
  Prepare();
  // The close reports the list it cannot write: one box per close.
  std::filesystem::create_directories(folder / "Sorivanel.m3u");
  Start({}, true);
  watcher.reset();
  // The tray icon's handler lets pending messages run before its menu
  // opens: the quit is handled inside it, and waits.
  for (HWND window : WindowsOf(player->Id(), L"SorivanelUtilityWindow"))
    PostMessageW(window, desktop::kTrayCallbackMessage, 1, WM_RBUTTONDOWN);
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  PostMessageW(appWindow, WM_CLOSE, 0, 0);
  HWND menu = OpenedMenu();
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(player->Running());
  EXPECT_TRUE(WindowsOf(player->Id(), L"#32770").empty()) << "the close ran under the menu";
  EXPECT_EQ(Value("TrayIcon"), "1");
  Dismiss(menu);

  // Now the close runs, once: one box, then the program ends.
  const HWND box = svtest::WaitForWindow("#32770", "", 30000, player->Id());
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(player->WaitForExit(30000));
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Index", 99), -1) << "the settings were saved";
}

}  // namespace
}  // namespace playertest
