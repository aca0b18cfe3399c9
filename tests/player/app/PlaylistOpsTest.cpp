// The playlist's commands in the running player: its context menu and what
// each item does, the search box, saving the list and opening files through
// the system's dialogs, all driven as a user would (mouse, keys, dialogs).
#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "tests/player/app/PlayerTestSupport.h"
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
  if (svtest::WindowProcess(window) == search->processId && std::wstring(name) == search->className &&
      IsWindowVisible(window))
    search->found.push_back(window);
  return TRUE;
}

HWND VisibleWindowOf(DWORD processId, const wchar_t* className, DWORD timeoutMs = 15000) {
  HWND found = nullptr;
  svtest::WaitUntil(
      [&] {
        WindowSearch search{processId, className, {}};
        EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&search));
        found = search.found.empty() ? nullptr : search.found.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The song file of entry i: "a.wav", "b.wav", ..., past "z" "s26.wav".
std::string SongName(std::size_t i) {
  return i < 26 ? std::string(1, static_cast<char>('a' + i)) + ".wav" : "s" + std::to_string(i) + ".wav";
}

class PlaylistOps : public PlayerProgram {
 protected:
  // Songs a.wav .. (count) beside the player, each with a title of its own
  // in the own playlist.
  void PrepareList(const std::vector<std::string>& titles, const std::string& ini = {}) {
    std::vector<std::string> lines{"#EXTM3U"};
    for (std::size_t i = 0; i < titles.size(); ++i) {
      lines.push_back("#EXTINF:-1," + titles[i]);
      lines.push_back(SongName(i));
    }
    Prepare(ini, Lines(lines));
    for (std::size_t i = 0; i < titles.size(); ++i) Place("a.wav", SongName(i));
    std::filesystem::copy(svtest::BuiltFile("player/app/skin"), folder / "skin",
                          std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
  }

  void ShowWindow() {
    EXPECT_EQ(Second({"/show"}), 0u);
    ASSERT_TRUE(WaitFor("FormShown", "1"));
    ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
    list = svtest::FindChildByName(mainWindow, "ListBox1");
    ASSERT_NE(list, nullptr);
  }

  // A left click on an entry, with Shift or Ctrl when given.
  void Click(int entry, WPARAM keys) {
    const LPARAM at = MAKELPARAM(20, entry * ItemHeight() + ItemHeight() / 2);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON | keys, at);
    PostMessageW(list, WM_LBUTTONUP, keys, at);
  }

  int ItemHeight() { return std::max(1, std::atoi(Value("ItemHeight", "ListBox1").c_str())); }

  // A right click on an entry (or below the last one) opens the menu; its
  // captions in order, and the menu window.
  std::vector<std::string> OpenMenuAt(int entry, HWND& menuWindow, const std::string& picture = {}) {
    const int y = entry * ItemHeight() + ItemHeight() / 2;
    const LPARAM at = MAKELPARAM(20, y);
    PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
    PostMessageW(list, WM_RBUTTONUP, 0, at);
    menuWindow = VisibleWindowOf(player->Id(), L"#32768");
    if (!menuWindow) {
      ADD_FAILURE() << "the playlist's menu did not open";
      return {};
    }
    if (!picture.empty()) {
      UpdateWindow(menuWindow);
      svtest::SaveScreenPng(menuWindow, svtest::BuiltFile("tests/player/app") / picture);
    }
    std::vector<std::string> items;
    const auto menu = svtest::SendTo(menuWindow, MN_GETHMENU);
    auto reply = client.Request(appWindow, {"menu", "#" + std::to_string(static_cast<UINT_PTR>(menu.value_or(0)))});
    if (!reply || !reply->ok) {
      ADD_FAILURE() << "the menu could not be read";
      return {};
    }
    std::size_t start = 0;
    for (std::size_t end; (end = reply->text.find('\n', start)) != std::string::npos; start = end + 1)
      items.push_back(reply->text.substr(start, end - start));
    return items;
  }

  // Chooses the item with that caption by the keyboard, as shown.
  void Choose(HWND menuWindow, const std::vector<std::string>& items, const std::string& caption) {
    const auto at = std::find(items.begin(), items.end(), caption);
    ASSERT_NE(at, items.end()) << caption;
    for (auto i = items.begin(); i <= at; ++i) PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(menuWindow) || !IsWindowVisible(menuWindow); }, 10000));
  }

  void MenuCommand(int entry, const std::string& caption) {
    HWND menuWindow = nullptr;
    const auto items = OpenMenuAt(entry, menuWindow);
    if (menuWindow) Choose(menuWindow, items, caption);
  }

  // The open or save dialog: the name typed in and confirmed.
  void AnswerFileDialog(const std::string& name) {
    HWND dialog = VisibleWindowOf(player->Id(), L"#32770");
    ASSERT_NE(dialog, nullptr) << "no file dialog";
    const std::wstring wide = svtest::PathFromUtf8(name).wstring();
    bool set = false;
    for (int id : {0x47c, 0x480}) {
      if (HWND box = GetDlgItem(dialog, id))
        set = svtest::SendTo(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str())).has_value();
    }
    ASSERT_TRUE(set) << "the dialog has no file name box";
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(dialog); }, 15000)) << "the dialog stayed open";
  }

  std::vector<std::string> Entries() {
    auto state = State();
    std::vector<std::string> entries;
    const int count = std::atoi(state["Entries"].c_str());
    for (int i = 0; i < count; ++i) entries.push_back(state["Entry" + std::to_string(i)]);
    return entries;
  }

  std::vector<std::string> Texts() {
    auto state = State("ListBox1");
    std::vector<std::string> texts;
    const int count = std::atoi(state["Count"].c_str());
    for (int i = 0; i < count; ++i) texts.push_back(state["Item" + std::to_string(i)]);
    return texts;
  }

  HWND list = nullptr;
};

TEST_F(PlaylistOps, TheMenuFollowsTheSelectionAndItsCommandsKeepTheCurrentEntry) {
  PrepareList({"Alpha", "Beta", "Gamma", "Delta"}, "[LECT]\r\nIndex=2\r\n");
  Start();
  ShowWindow();
  ASSERT_EQ(Value("CurrentIndex"), "2");

  // One entry under the mouse: it alone is selected; a wav takes no tags.
  HWND menuWindow = nullptr;
  auto items = OpenMenuAt(0, menuWindow, "playlist-menu.png");
  EXPECT_EQ(items, (std::vector<std::string>{"Ecouter", "Sélectionner tout", "Supprimer la sélection", "Chercher...",
                                             "Sauver la playliste", "Rafraîchir"}));
  EXPECT_EQ(Value("Selection", "ListBox1"), "0");
  Choose(menuWindow, items, "Supprimer la sélection");
  // Removing an entry before the current one lowers its index.
  EXPECT_TRUE(WaitFor("Entries", "3"));
  EXPECT_EQ(Value("CurrentIndex"), "1");
  EXPECT_EQ(Texts(), (std::vector<std::string>{" Beta", " Gamma", " Delta"}));

  MenuCommand(2, "Sélectionner tout");
  EXPECT_TRUE(WaitFor("Selection", "0,1,2", 10000, "ListBox1"));
  // Everything selected: neither play nor select all; a right click on a
  // selected entry keeps the selection.
  items = OpenMenuAt(1, menuWindow);
  EXPECT_EQ(items,
            (std::vector<std::string>{"Supprimer la sélection", "Chercher...", "Sauver la playliste", "Rafraîchir"}));
  // The highlighted item, as drawn.
  PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
  svtest::SendTo(menuWindow, WM_NULL);
  UpdateWindow(menuWindow);
  svtest::SaveScreenPng(menuWindow, svtest::BuiltFile("tests/player/app") / "playlist-menu-highlight.png");
  PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindowVisible(menuWindow); }, 10000));

  // Play the last one, then remove it together with another: playback
  // stops and nothing is current.
  Click(2, 0);
  ASSERT_TRUE(WaitFor("Selection", "2", 10000, "ListBox1"));
  MenuCommand(2, "Ecouter");
  EXPECT_TRUE(WaitFor("CurrentIndex", "2"));
  EXPECT_TRUE(WaitFor("Channel", "1"));
  Click(1, MK_SHIFT);
  ASSERT_TRUE(WaitFor("Selection", "1,2", 10000, "ListBox1"));
  MenuCommand(1, "Supprimer la sélection");
  EXPECT_TRUE(WaitFor("Entries", "1"));
  EXPECT_EQ(Value("CurrentIndex"), "-1");
  EXPECT_EQ(Value("Channel"), "0");
  EXPECT_EQ(Texts(), (std::vector<std::string>{" Beta"}));

  // Below the last entry: the selection goes, and only what needs none is
  // offered.
  items = OpenMenuAt(5, menuWindow);
  EXPECT_EQ(Value("Selection", "ListBox1"), "");
  EXPECT_EQ(items,
            (std::vector<std::string>{"Sélectionner tout", "Chercher...", "Sauver la playliste", "Rafraîchir"}));
  PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
  Quit();
}

TEST_F(PlaylistOps, RemovingTheCurrentEntryStopsItAndRefreshRebuildsTheTexts) {
  PrepareList({"One", "Two", "Three"});
  Start();
  ShowWindow();
  MenuCommand(1, "Ecouter");
  ASSERT_TRUE(WaitFor("Channel", "1"));
  ASSERT_EQ(Value("CurrentIndex"), "1");
  MenuCommand(1, "Supprimer la sélection");
  EXPECT_TRUE(WaitFor("Entries", "2"));
  EXPECT_EQ(Value("CurrentIndex"), "-1");
  EXPECT_EQ(Value("Channel"), "0");
  // The titles came from the list; refreshed, they come from the files
  // (folder - name, without tags).
  MenuCommand(0, "Rafraîchir");
  std::vector<std::string> texts;
  EXPECT_TRUE(svtest::WaitUntil(
      [&] {
        texts = Texts();
        return texts.size() == 2 && texts[0].ends_with(" - a") && texts[1].ends_with(" - c");
      },
      10000));
  EXPECT_EQ(Entries(), (std::vector<std::string>{PathOf("a.wav"), PathOf("c.wav")}));
  Quit();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""),
            "#EXTM3U\r\n#EXTINF:-1," + texts[0].substr(1) + "\r\na.wav\r\n#EXTINF:-1," + texts[1].substr(1) +
                "\r\nc.wav\r\n");
}

TEST_F(PlaylistOps, TheSearchBoxFindsFromTheThirdCharacterAndWraps) {
  std::vector<std::string> titles;
  for (int i = 0; i < 40; ++i) titles.push_back("Piece " + std::to_string(i));
  titles[0] = "Intro";
  titles[1] = "Bolero";
  titles[5] = "Bourree";
  titles[20] = "Boléro live";
  PrepareList(titles);
  Start();
  ShowWindow();
  MenuCommand(0, "Chercher...");
  ASSERT_TRUE(WaitFor("Visible", "1", 10000, "RechercheBox"));
  HWND edit = svtest::FindChildByName(mainWindow, "RechercheTexte");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(Value("Focused", "RechercheTexte"), "1");
  const auto type = [&](const wchar_t* text) {
    svtest::SendTo(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  };
  // Two characters do not search.
  const std::string before = Value("Selection", "ListBox1");
  type(L"bo");
  EXPECT_EQ(Value("Selection", "ListBox1"), before);
  EXPECT_EQ(Value("Color", "RechercheTexte"), std::to_string(0x80000000u | COLOR_WINDOW));
  // The third does, from entry 0 on, ignoring case and accents' case.
  type(L"BOL");
  EXPECT_EQ(Value("Selection", "ListBox1"), "1");
  EXPECT_EQ(Value("Color", "RechercheTexte"), std::to_string(0x00FF00));
  EXPECT_EQ(Value("FontColor", "RechercheTexte"), "0");
  type(L"BOLÉ");
  EXPECT_EQ(Value("Selection", "ListBox1"), "20");
  // The fifth visible line.
  EXPECT_EQ(Value("TopIndex", "ListBox1"), "16");
  svtest::SaveScreenPng(mainWindow, svtest::BuiltFile("tests/player/app") / "playlist-search.png");
  // F3: the next one after the selection, wrapping past the end.
  type(L"bo");
  PostMessageW(edit, WM_KEYDOWN, VK_F3, 0);
  EXPECT_TRUE(WaitFor("Selection", "1", 10000, "ListBox1"));
  PostMessageW(edit, WM_KEYDOWN, VK_F3, 0);
  EXPECT_TRUE(WaitFor("Selection", "5", 10000, "ListBox1"));
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(WaitFor("Selection", "20", 10000, "ListBox1"));
  PostMessageW(edit, WM_KEYDOWN, VK_F3, 0);
  EXPECT_TRUE(WaitFor("Selection", "1", 10000, "ListBox1"));
  // No match: red with white text, the selection stays.
  type(L"zzz");
  EXPECT_EQ(Value("Color", "RechercheTexte"), std::to_string(0x0000FF));
  EXPECT_EQ(Value("FontColor", "RechercheTexte"), std::to_string(0xFFFFFF));
  EXPECT_EQ(Value("Selection", "ListBox1"), "1");
  // Dragged with the left button, the box stays 2 pixels inside the list.
  const HWND box = svtest::FindChildByName(mainWindow, "RechercheBox");
  ASSERT_NE(box, nullptr);
  const std::string bounds = Value("Bounds", "RechercheBox");
  PostMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10, 10));
  PostMessageW(box, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(-1000), 13));
  // The list may stand beside the folder tree.
  const int listLeft = std::atoi(Value("Bounds", "ListBox1").c_str());
  const std::string dragged = std::to_string(listLeft + 2) + ",23,";
  EXPECT_TRUE(svtest::WaitUntil([&] { return Value("Bounds", "RechercheBox").starts_with(dragged); }, 10000))
      << bounds << " -> " << Value("Bounds", "RechercheBox") << ", list at " << listLeft;
  PostMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(50, 10));
  EXPECT_TRUE(svtest::WaitUntil([&] { return Value("Hint", "RechercheBox").empty(); }, 10000));
  EXPECT_EQ(Value("Focused", "RechercheTexte"), "1");
  // The mouse over the list gives the list the keys.
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(20, 100));
  EXPECT_TRUE(svtest::WaitUntil([&] { return Value("Focused", "RechercheTexte") == "0"; }, 10000));
  // "< fermer >" hides the box; it keeps its text.
  const auto closed = client.Request(appWindow, {"click", "Form1", "LblFermeRecherche"});
  EXPECT_TRUE(closed && closed->ok);
  EXPECT_TRUE(WaitFor("Visible", "0", 10000, "RechercheBox"));
  EXPECT_EQ(Value("Text", "RechercheTexte"), "zzz");
  Quit();
}

TEST_F(PlaylistOps, KeysRemoveTheSelectionFindAndOpenTheOptions) {
  PrepareList({"One", "Two", "Three"});
  Start();
  ShowWindow();
  Click(1, 0);
  ASSERT_TRUE(WaitFor("Selection", "1", 10000, "ListBox1"));
  // The mouse over the list gives it the keys (handled before the key).
  PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(20, 100));
  // Delete: the selection goes.
  PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_TRUE(WaitFor("Entries", "2"));
  EXPECT_EQ(Texts(), (std::vector<std::string>{" One", " Three"}));
  // Ctrl+F: the search box, which then leaves every key but Enter and
  // Escape to the typing.
  PressWithCtrl('F');
  ASSERT_TRUE(WaitFor("Visible", "1", 10000, "RechercheBox"));
  HWND edit = svtest::FindChildByName(mainWindow, "RechercheTexte");
  ASSERT_NE(edit, nullptr);
  svtest::SendTo(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"on"));
  for (WPARAM key : {WPARAM('O'), WPARAM(VK_DELETE), WPARAM(VK_RETURN)}) PostMessageW(edit, WM_KEYDOWN, key, 0);
  EXPECT_TRUE(WaitFor("Selection", "0", 10000, "ListBox1"));
  PostMessageW(edit, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitFor("Visible", "0", 10000, "RechercheBox"));
  EXPECT_EQ(player->WaitForWindow("TFormOptions", "", 0), nullptr) << "O in the search box opened the options";
  EXPECT_EQ(Value("Entries"), "2");
  // O: the options window.
  PostMessageW(list, WM_KEYDOWN, 'O', 0);
  const HWND options = player->WaitForWindow("TFormOptions", "", 20000);
  ASSERT_NE(options, nullptr) << "O did not open the options";
  PostMessageW(options, WM_CLOSE, 0, 0);
  EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(options); }, 10000));
  Quit();
}

TEST_F(PlaylistOps, ASavedListReadsBackAsTheSameEntries) {
  PrepareList({"Alpha", "Beta"});
  std::filesystem::create_directories(folder / "sub");
  folder.CopyIn(Fixture("b.wav"), "sub/z.wav");
  Start();
  // Add a song in a sub-folder: still inside the list's folder.
  EXPECT_EQ(Second({PathOf("sub/z.wav")}, 20000), 0u);
  ASSERT_TRUE(WaitFor("Entries", "3"));
  ShowWindow();
  watcher.reset();
  MenuCommand(0, "Sauver la playliste");
  AnswerFileDialog(PathOf("saved"));
  ASSERT_TRUE(svtest::WaitUntil([&] { return folder.Exists("saved.m3u"); }, 10000));
  const auto shown = Texts();
  ASSERT_EQ(shown.size(), 3u);
  // Every entry lies under the list's folder: relative paths.
  EXPECT_EQ(folder.Read("saved.m3u").value_or(""),
            "#EXTM3U\r\n#EXTINF:-1,Alpha\r\na.wav\r\n#EXTINF:-1,Beta\r\nb.wav\r\n#EXTINF:-1," + shown[2].substr(1) +
                "\r\nsub\\z.wav\r\n");
  const auto before = Entries();
  const auto texts = Texts();
  EXPECT_EQ(Second({PathOf("saved.m3u")}), 0u);
  EXPECT_TRUE(WaitFor("CurrentIndex", "0"));
  EXPECT_EQ(Entries(), before);
  EXPECT_EQ(Texts(), texts);
  Quit();
}

TEST_F(PlaylistOps, SeveralOpenedFilesReplaceTheListEvenWhereItCannotBeWritten) {
  PrepareList({"Old"});
  Place("b.wav", "b.wav");
  Place("c.wav", "c.wav");
  std::filesystem::remove(folder / "Sorivanel.m3u");
  Start();
  // The own playlist cannot be written from here on.
  std::filesystem::create_directories(folder / "Sorivanel.m3u");
  watcher.reset();
  EXPECT_EQ(Second({"/open"}), 0u);
  AnswerFileDialog("\"c.wav\" \"b.wav\"");
  EXPECT_TRUE(WaitFor("Entries", "2"));
  auto entries = Entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{PathOf("b.wav"), PathOf("c.wav")}));
  EXPECT_EQ(Value("CurrentIndex"), "0");
  EXPECT_TRUE(WaitFor("Channel", "1"));
  // The choice went beside the list it could not replace, and the user is
  // told where.
  watcher = std::make_unique<svtest::MessageBoxWatcher>(player->Id(), svtest::MessageBoxWatcher::Mode::Record);
  ASSERT_TRUE(watcher->WaitForBoxes(1, 20000));
  EXPECT_NE(watcher->Seen()[0].text.find("Sorivanel (2).m3u"), std::string::npos) << watcher->Seen()[0].text;
  const std::string beside = folder.Read("Sorivanel (2).m3u").value_or("");
  for (const char* name : {"b.wav", "c.wav"})
    EXPECT_NE(beside.find(PathOf(name) + "\r\n"), std::string::npos) << beside;
  watcher.reset();
  std::filesystem::remove(folder / "Sorivanel.m3u");
  // One chosen list replaces the list as an argument would.
  folder.Write("other.m3u", "#EXTM3U\r\n#EXTINF:-1,From the list\r\na.wav\r\n");
  EXPECT_EQ(Second({"/open"}), 0u);
  AnswerFileDialog("other.m3u");
  EXPECT_TRUE(WaitFor("Entries", "1"));
  EXPECT_EQ(Texts(), (std::vector<std::string>{" From the list"}));
  Quit();
}

TEST_F(PlaylistOps, AQuitWhileTheOpenDialogIsUpEndsTheDialogAndThePlayer) {
  PrepareList({"Alpha"}, "ReglageVolumeGlobal=0\r\n[LECT]\r\nVolume=41\r\n");
  Start();
  watcher.reset();
  EXPECT_EQ(Second({"/open"}), 0u);
  ASSERT_NE(VisibleWindowOf(player->Id(), L"#32770"), nullptr);
  EXPECT_EQ(Second({"/quit"}), 0u);
  ASSERT_TRUE(player->WaitForExit(60000)) << "the player did not end";
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Index", 99), -1);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Volume", 0), 41);
  EXPECT_EQ(folder.Read("Sorivanel.m3u").value_or(""), "#EXTM3U\r\n#EXTINF:-1,Alpha\r\na.wav\r\n");
}

TEST_F(PlaylistOps, AListThatCannotBeReadIsReportedAndTheOldListStays) {
  PrepareList({"Alpha", "Beta"});
  folder.Write("locked.m3u", "#EXTM3U\r\nc.wav\r\n");
  folder.Write("locked.pls", "[playlist]\r\nFile1=c.wav\r\n");
  Start({}, true);
  const auto before = Entries();
  for (const char* name : {"locked.m3u", "locked.pls"}) {
    HANDLE lock = CreateFileW((folder / name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    const std::size_t boxes = watcher->Seen().size();
    EXPECT_EQ(Second({PathOf(name)}), 0u);
    EXPECT_TRUE(watcher->WaitForBoxes(boxes + 1, 20000)) << name;
    CloseHandle(lock);
    EXPECT_EQ(Entries(), before) << name;
    EXPECT_EQ(Texts(), (std::vector<std::string>{" Alpha", " Beta"})) << name;
  }
  Quit();
}

// A long import lets the window answer while it runs, and what would
// replace the list meanwhile waits until the list is whole. The commands
// are queued behind the drop on purpose: they reach the player while it
// waits for the drop request's reply to be taken.
TEST_F(PlaylistOps, ALongImportAnswersMeanwhileAndIsNeverInterleaved) {
  PrepareList({"Alpha"}, "[LECT]\r\nIndex=0\r\n");
  Place("tune.ogg");
  Place("b.wav");
  Place("c.wav");
  constexpr int kEntries = 2000;
  std::vector<std::string> lines{"#EXTM3U"};
  lines.insert(lines.end(), kEntries, "tune.ogg");
  folder.Write("big.m3u", Lines(lines));
  Start();
  ShowWindow();
  // An entry is current: the drop fills the list without playing.
  ASSERT_EQ(Value("CurrentIndex"), "0");
  client.WhileReplying = [&](const std::string&) {
    PostMessageW(list, WM_KEYDOWN, VK_END, 0);
    PostMessageW(list, WM_KEYUP, VK_END, 0);
  };
  ASSERT_TRUE(client.Request(appWindow, {"drop", "Form1", "", PathOf("big.m3u")}, 60000));
  client.WhileReplying = nullptr;
  std::map<std::string, std::string> shown;
  ASSERT_TRUE(svtest::WaitUntil([&] {
    shown = State("ListBox1");
    return shown["Count"] == std::to_string(kEntries) && shown["SelCount"] == "1";
  }, 60000));
  // End went to the last entry there was when the key was handled.
  EXPECT_LT(std::atoi(shown["ItemIndex"].c_str()), kEntries - 1) << "the key waited for the whole import";
  auto entries = Entries();
  ASSERT_EQ(entries.size(), static_cast<std::size_t>(kEntries));
  EXPECT_EQ(entries.front(), PathOf("tune.ogg"));

  // Nothing is current now: this drop plays its first entry as it fills.
  ASSERT_EQ(Value("CurrentIndex"), "-1");
  watcher.reset();
  DWORD handedOver = ~DWORD(0);
  client.WhileReplying = [&](const std::string&) { handedOver = SecondEnded({"/open"}); };
  ASSERT_TRUE(client.Request(appWindow, {"drop", "Form1", "", PathOf("big.m3u")}, 60000));
  client.WhileReplying = nullptr;
  EXPECT_EQ(handedOver, 0u);
  // The dialog comes once the list is whole, and its choice replaces it.
  AnswerFileDialog("\"c.wav\" \"b.wav\"");
  EXPECT_TRUE(WaitFor("Entries", "2"));
  Quit();
  // The list as it stood at the end: the choice, and nothing after it.
  std::vector<std::string> saved;
  std::istringstream file(folder.Read("Sorivanel.m3u").value_or(""));
  for (std::string line; std::getline(file, line);)
    if (!line.empty() && line[0] != '#') saved.push_back(line);
  EXPECT_EQ(saved, (std::vector<std::string>{"c.wav\r", "b.wav\r"}));
}

}  // namespace
}  // namespace playertest
