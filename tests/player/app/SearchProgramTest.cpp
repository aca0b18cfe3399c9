// The search window of the real player: opened from the folder menu on a
// folder of the tree made on the build host, driven through its controls,
// checked through the playlist it fills.
#include "tests/player/app/FolderTreeProgram.h"

#include <algorithm>
#include <map>
#include <memory>

#include "tags/ID3v2.h"

namespace playertest {
namespace {

struct Controls {
  HWND folderEdit = nullptr;
  HWND textEdit = nullptr;
  std::map<std::string, HWND> buttons;  // by caption
};

BOOL CALLBACK CollectControl(HWND window, LPARAM data) {
  auto* controls = reinterpret_cast<Controls*>(data);
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  wchar_t text[128] = {};
  GetWindowTextW(window, text, 128);
  if (std::wstring(name) == L"Edit") {
    (GetWindowLongPtrW(window, GWL_STYLE) & ES_READONLY ? controls->folderEdit : controls->textEdit) = window;
  } else if (std::wstring(name) == L"Button") {
    controls->buttons[svtest::PathToUtf8(text)] = window;
  }
  return TRUE;
}

class Search : public FolderTreeProgram {
 protected:
  // Opens the search window from the base folder's menu: its fourth item
  // ("Rechercher...") chosen with the keyboard.
  void OpenSearch() {
    ClickNode(SearchRoot(), WM_RBUTTONDOWN);
    HWND menu = WaitForMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(Value("FolderMenu"),
              "MenuMettreSuite,MenuLireRep,MenuExplorerRep,MenuChercherDansRep,MenuGererRep,MenuRefreshRep");
    for (int i = 0; i < 4; ++i) PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    window = player->WaitForWindow("TFormRecherche", "", 20000);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(window) != FALSE; }));
    EnumChildWindows(window, &CollectControl, reinterpret_cast<LPARAM>(&controls));
    ASSERT_NE(controls.folderEdit, nullptr);
    ASSERT_NE(controls.textEdit, nullptr);
  }

  // Asked of the control itself: another process's GetWindowText reads
  // only the system's copy of a caption.
  std::string Text(HWND control) {
    wchar_t text[512] = {};
    SendMessageW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    return svtest::PathToUtf8(text);
  }
  HWND Button(const std::string& caption) {
    const auto found = controls.buttons.find(caption);
    EXPECT_NE(found, controls.buttons.end()) << caption;
    return found == controls.buttons.end() ? nullptr : found->second;
  }
  bool Checked(const std::string& caption) { return SendMessageW(Button(caption), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(const std::string& caption, bool checked) {
    if (Checked(caption) != checked) SendMessageW(Button(caption), BM_CLICK, 0, 0);
  }
  void SetText(const std::string& text) {
    const std::wstring wide = svtest::PathFromUtf8(text).wstring();
    SendMessageW(controls.textEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  std::string Searching() {
    auto reply = client.Request(appWindow, {"state", "FormRecherche", ""});
    if (!reply || !reply->ok) return "<none>";
    const auto at = reply->text.find("Searching=");
    return at == std::string::npos ? "<none>" : reply->text.substr(at + 10, 1);
  }
  // Presses "Chercher": the press returns once the search has ended.
  void RunSearch() {
    ASSERT_TRUE(IsWindowEnabled(Button("Chercher")));
    ASSERT_TRUE(svtest::SendTo(Button("Chercher"), BM_CLICK, 0, 0, 120000).has_value());
    EXPECT_EQ(Searching(), "0");
    EXPECT_TRUE(IsWindowEnabled(Button("Chercher")));
    EXPECT_FALSE(IsWindowEnabled(Button("Annuler")));
  }

  HWND window = nullptr;
  Controls controls;
};

TEST_F(Search, FindsByFolderNameFileNameAndTagsAndSelectsWhatItAdded) {
  PrepareTree(SearchRoot(), "");
  Start();
  ShowAndWaitForTree();
  OpenSearch();
  EXPECT_EQ(Text(controls.folderEdit), SearchRoot());
  // The defaults: folder and file names, sub-folders included, nothing to
  // search for yet.
  EXPECT_TRUE(Checked("Nom de répertoire"));
  EXPECT_TRUE(Checked("Nom de fichier"));
  EXPECT_FALSE(Checked("Titre de la chanson *"));
  EXPECT_TRUE(Checked("Inclure sous-répertoires"));
  EXPECT_FALSE(IsWindowEnabled(Button("Chercher")));
  SetText("ALPHA");
  EXPECT_TRUE(IsWindowEnabled(Button("Chercher")));
  SetChecked("Nom de répertoire", false);
  SetChecked("Nom de fichier", false);
  EXPECT_FALSE(IsWindowEnabled(Button("Chercher")));
  SetChecked("Nom de répertoire", true);

  // Every song below a folder whose path holds the text, folders in order.
  RunSearch();
  auto state = State();
  ASSERT_EQ(state["Entries"], "2");
  EXPECT_EQ(state["Entry0"], SearchRoot() + "Alpha\\one.wav");
  EXPECT_EQ(state["Entry1"], SearchRoot() + "beta\\Alpha-sub\\two.wav");
  EXPECT_EQ(Value("Selection", "ListBox1"), "0,1");
  SavePng("FormRecherche", "", "search-window");

  // By title tag only: the MP3 whose ID3v1 title matches (its ID3v2 one
  // does not), not the locked song; the link loop ends.
  HANDLE lock = CreateFileW(svtest::PathFromUtf8(SearchRoot() + "gamma\\locked.ogg").c_str(), GENERIC_READ, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(lock, INVALID_HANDLE_VALUE);
  SetChecked("Nom de répertoire", false);
  SetChecked("Titre de la chanson *", true);
  SetText("needle");
  RunSearch();
  state = State();
  ASSERT_EQ(state["Entries"], "3");
  EXPECT_EQ(state["Entry2"], SearchRoot() + "gamma\\v1.mp3");
  // Only this search's match is selected now.
  EXPECT_EQ(Value("Selection", "ListBox1"), "2");

  // By Vorbis album; the window is only hidden when closed.
  SetChecked("Titre de la chanson *", false);
  SetChecked("Album *", true);
  SetText("ogg album");
  RunSearch();
  EXPECT_EQ(Value("Entries"), "4");
  EXPECT_EQ(Value("Entry3"), SearchRoot() + "gamma\\tagged.ogg");
  CloseHandle(lock);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(window) == FALSE; }));
  EXPECT_TRUE(IsWindow(window));
  Quit();
}

TEST_F(Search, AQuitWhileSearchingEndsTheSearchAndThenThePlayer) {
  PrepareTree(SearchRoot(), "");
  Start();
  ShowAndWaitForTree();
  OpenSearch();
  SetChecked("Titre de la chanson *", true);
  SetChecked("Artiste *", true);
  SetChecked("Album *", true);
  SetText("zzz");
  // Whether the quit comes during the search or after it, the player ends
  // and saves.
  PostMessageW(Button("Chercher"), BM_CLICK, 0, 0);
  EXPECT_EQ(Second({"/quit"}), 0u);
  ASSERT_TRUE(player->WaitForExit(60000));
  EXPECT_EQ(player->ExitCode().value_or(1), 0u);
  EXPECT_EQ(Settings().ReadInteger("LECT", "Index", 99), -1);
  EXPECT_TRUE(folder.Read("Sorivanel.tree").has_value());
}

// During a long import: a search, a tag save, a hand-over and the end of the
// first song. Each waits for the import's end and then runs once: nothing
// comes between the import's entries.
TEST_F(Search, WhatArrivesDuringAnImportWaitsForItsEnd) {
  // The length in each title: every entry of the import is measured.
  Prepare("[REPERTOIRES]\r\n0=" + SearchRoot() +
          "\r\n[NOMCHANSONS]\r\nFormatNomSansTag=%filename %length\r\n[LECT]\r\nLectureBoucle=0\r\n");
  const std::string song = Place("tagged1.mp3", "song.mp3");
  const std::string b = Place("long.wav", "b.wav");
  Place("a.wav");
  Place("long.wav", "c.wav");
  std::string m3u = "#EXTM3U\r\na.wav\r\n";
  for (int i = 1; i < 3000; ++i) m3u += "c.wav\r\n";
  folder.Write("big.m3u", m3u);
  Start({}, true);
  EXPECT_EQ(Second({song}), 0u);
  ShowAndWaitForTree();
  OpenSearch();
  SetText("ALPHA");
  const HWND editor = OpenTagEditorOn({0});
  ASSERT_NE(editor, nullptr);
  const std::wstring comment = L"During the import";
  SendMessageW(svtest::FindChildByName(editor, "LabelComv2"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(comment.c_str()));
  watcher->Answer(IDYES);

  // All three are asked for inside the answer to a state request that finds
  // the import running.
  svtest::LaunchOptions options;
  options.workingFolder = folder.Path();
  std::unique_ptr<svtest::ProgramUnderTest> handOver;
  bool asked = false;
  client.WhileReplying = [&](const std::string& state) {
    if (asked || state.find("Busy=1") == std::string::npos) return;
    asked = true;
    PostMessageW(Button("Chercher"), BM_CLICK, 0, 0);
    auto reply = client.Request(appWindow, {"click", "FormTag", "BtnSave"});
    EXPECT_TRUE(reply && reply->ok);
    handOver = std::make_unique<svtest::ProgramUnderTest>(program, std::vector<std::string>{b}, options);
  };
  svtest::ProgramUnderTest importer(program, {PathOf("big.m3u")}, options);
  const bool seen = svtest::WaitUntil(
      [&] {
        State();
        return asked || !importer.Running();
      },
      120000);
  client.WhileReplying = nullptr;
  ASSERT_TRUE(seen && asked) << "the import was never seen running";
  EXPECT_TRUE(importer.WaitForExit(120000));
  ASSERT_TRUE(handOver && handOver->WaitForExit(120000));
  ASSERT_TRUE(svtest::WaitUntil(
      [&] { return Value("Entries") == "3003" && Searching() == "0" && !IsWindow(editor); }, 120000))
      << Value("Entries");
  ASSERT_TRUE(WaitUntilTreated());
  const int current = std::stoi(Value("CurrentIndex"));
  EXPECT_EQ(Value("Playing"), "1");
  sv::tags::TID3v2 tag;
  ASSERT_TRUE(tag.ReadFromFile(song, false));
  EXPECT_EQ(tag.Comment, "During the import");
  Quit();

  const auto saved = SavedEntries();
  ASSERT_EQ(saved.size(), 3003u);
  EXPECT_EQ(saved[0], "a.wav");
  EXPECT_EQ(std::count(saved.begin(), saved.begin() + 3000, "c.wav"), 2999);
  // After them, in their order of arrival: the two matches, side by side,
  // and the song handed over, which plays.
  const std::vector<std::string> after(saved.begin() + 3000, saved.end());
  ASSERT_GE(current, 3000);
  EXPECT_EQ(saved[static_cast<std::size_t>(current)], "b.wav");
  const auto match = std::find_if(after.begin(), after.end(), [](const std::string& entry) {
    return entry.find("Alpha") != std::string::npos;
  });
  ASSERT_NE(match, after.end());
  ASSERT_NE(match + 1, after.end());
  EXPECT_NE((match + 1)->find("two.wav"), std::string::npos) << *(match + 1);
}

}  // namespace
}  // namespace playertest
