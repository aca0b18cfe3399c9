#include "tests/player/app/FolderTreeProgram.h"

#include "skin/BmpFile.h"
#include "tests/player/app/PngWriter.h"
#include "tests/support/ScreenPicture.h"

namespace playertest {

namespace {

std::string FixtureFolder(const char* name) {
  std::string path = svtest::PathToUtf8(Fixture(std::string("tree/root/") + name)) + "\\";
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

BOOL CALLBACK FindTree(HWND window, LPARAM data) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  if (std::wstring(name) != L"SysTreeView32") return TRUE;
  *reinterpret_cast<HWND*>(data) = window;
  return FALSE;
}

struct MenuSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK FindMenu(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<MenuSearch*>(data);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32768" && IsWindowVisible(window) && svtest::WindowProcess(window) == search->processId)
    search->found = window;
  return TRUE;
}

}  // namespace

std::string FolderTreeProgram::Music() { return FixtureFolder("Music"); }
std::string FolderTreeProgram::SearchRoot() { return FixtureFolder("Search"); }

void FolderTreeProgram::PrepareTree(const std::string& base, const std::string& cache) {
  Prepare("[REPERTOIRES]\r\n0=" + base + "\r\n");
  if (!cache.empty()) folder.Write("Sorivanel.tree", cache);
}

void FolderTreeProgram::ShowAndWaitForTree() {
  EXPECT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  ASSERT_TRUE(WaitFor("TreeComplete", "1", 60000));
}

HWND FolderTreeProgram::TreeWindow() const {
  HWND tree = nullptr;
  EnumChildWindows(mainWindow, &FindTree, reinterpret_cast<LPARAM>(&tree));
  return tree;
}

int FolderTreeProgram::NodeIndex(const std::string& text) {
  auto tree = State("TreeView1");
  for (int i = 0;; ++i) {
    const auto node = tree.find("Node" + std::to_string(i));
    if (node == tree.end()) return -1;
    if (node->second.substr(node->second.find('|') + 1) == text) return i;
  }
}

void FolderTreeProgram::ClickNode(const std::string& text, UINT buttonDown) {
  HWND tree = TreeWindow();
  ASSERT_NE(tree, nullptr);
  int x = 5, y = 0;
  if (text.empty()) {
    RECT area{};
    GetClientRect(tree, &area);
    y = area.bottom - 3;
  } else {
    const int index = NodeIndex(text);
    ASSERT_GE(index, 0) << text;
    const std::string point = Value("TreePoint" + std::to_string(index));
    ASSERT_NE(point, "<none>") << text << " is not shown";
    x = std::stoi(point);
    y = std::stoi(point.substr(point.find(',') + 1));
  }
  const LPARAM at = MAKELPARAM(x, y);
  const WPARAM held = buttonDown == WM_LBUTTONDOWN ? MK_LBUTTON : buttonDown == WM_RBUTTONDOWN ? MK_RBUTTON : MK_MBUTTON;
  PostMessageW(tree, WM_MOUSEMOVE, 0, at);
  PostMessageW(tree, buttonDown, held, at);
  PostMessageW(tree, buttonDown + 1, 0, at);
}

HWND FolderTreeProgram::WaitForMenu() {
  MenuSearch search{player->Id(), nullptr};
  svtest::WaitUntil(
      [&] {
        EnumWindows(&FindMenu, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      20000);
  return search.found;
}

std::string FolderTreeProgram::FolderMenu(const std::string& text, const std::string& pngName) {
  ClickNode(text, WM_RBUTTONDOWN);
  HWND menu = WaitForMenu();
  if (!menu) {
    ADD_FAILURE() << "no folder menu for " << text;
    return {};
  }
  const std::string shown = Value("FolderMenu");
  if (!pngName.empty()) {
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    // Answered only once the menu has taken the key before it.
    Value("FolderMenu");
    UpdateWindow(menu);
    svtest::SaveScreenPng(menu, svtest::BuiltFile("tests/player/app") / (pngName + ".png"));
  }
  PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(menu) || !IsWindowVisible(menu); }, 10000));
  return shown;
}

void FolderTreeProgram::SavePng(const std::string& form, const std::string& component, const std::string& name) {
  const std::string file = PathOf("capture.bmp");
  auto reply = client.Request(appWindow, {"capture", form, component, file});
  ASSERT_TRUE(reply && reply->ok) << (reply ? reply->text : "no answer");
  if (auto image = sv::skin::LoadBmpFile(file))
    WritePng(svtest::BuiltFile("tests/player/app") / (name + ".png"), image->Width, image->Height, image->Pixels);
}

}  // namespace playertest
