#include "tests/skineditor/EditorDriver.h"

#include <cstdio>
#include <sstream>

#include "forms/Wide.h"
#include "skineditor/MenuCommands.h"
#include "tests/support/BmpWriter.h"
#include "tests/support/PngFile.h"
#include "tests/support/ScreenPicture.h"

namespace editortest {

namespace {

struct Found {
  DWORD process;
  HWND window = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
  auto* found = reinterpret_cast<Found*>(data);
  if (IsWindowVisible(window) && svtest::WindowProcess(window) == found->process &&
      svtest::WindowClass(window) == "#32770") {
    found->window = window;
    return FALSE;
  }
  return TRUE;
}

HWND OpenDialog(DWORD process) {
  Found found{process};
  EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&found));
  return found.window;
}

// A message box holds its text in the static control 0xFFFF.
bool IsMessageBox(HWND dialog) { return GetDlgItem(dialog, 0xFFFF) != nullptr; }

}  // namespace

std::string Hex(std::uint32_t rgb) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", rgb & 0xFFFFFFu);
  return text;
}

std::string FixtureText(const std::string& name) {
  auto bytes = svtest::ReadFileBytes(svtest::PathFromUtf8(std::string(SV_EDITOR_FIXTURES) + "/" + name));
  EXPECT_TRUE(bytes.has_value()) << name;
  return bytes.value_or("");
}

// A background wider than the design width, nine regions of their own
// colours: corners, edges and the centre (split at column 200, row 30).
std::string WideBackground() {
  std::vector<std::vector<std::uint32_t>> rows(60, std::vector<std::uint32_t>(400));
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 400; ++x) {
      const int column = x < 200 ? 0 : x == 200 ? 1 : 2;
      const int row = y < 30 ? 0 : y == 30 ? 1 : 2;
      rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] =
          static_cast<std::uint32_t>(0x101010 * (row * 3 + column + 1));
    }
  return svtest::Bmp(rows);
}

void PlaceFullSkin(const std::filesystem::path& root) {
  std::filesystem::create_directories(root / "skin" / "full");
  svtest::WriteFileBytes(root / "skin" / "full" / "skin.ini", FixtureText("full.ini"));
  svtest::WriteFileBytes(root / "skin" / "full" / "back.bmp", WideBackground());
}

void EditorProgram::SetUp() {
  folder.CopyIn(svtest::BuiltFile("player/app/Quorvane.exe"));
  std::filesystem::copy(svtest::BuiltFile("player/app/skin"), folder / "skin",
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

void EditorProgram::TearDown() {
  if (editor && editor->Running()) Stop();
}

void EditorProgram::Start(const std::vector<std::string>& arguments) {
  svtest::LaunchOptions options;
  options.workingFolder = folder.Path();
  options.environment.emplace_back("SORIVANEL_AUTOMATION", "1");
  editor = std::make_unique<svtest::ProgramUnderTest>(folder / "Quorvane.exe", arguments, options);
  appWindow = editor->WaitForWindow("TApplication", "Sorivanel Skin Maker", 20000);
  mainWindow = editor->WaitForWindow("TForm1", "", 20000);
  ASSERT_NE(appWindow, nullptr);
  ASSERT_NE(mainWindow, nullptr);
}

void EditorProgram::Stop() {
  // Whatever is open goes first: a box would hold the close.
  for (HWND dialog = OpenDialog(editor->Id()); dialog; dialog = OpenDialog(editor->Id())) {
    PostMessageW(dialog, WM_COMMAND, IsMessageBox(dialog) && GetDlgItem(dialog, IDYES) ? IDYES : IDCANCEL, 0);
    Sleep(100);
  }
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  for (int i = 0; i < 100 && editor->Running(); ++i) {
    if (HWND dialog = OpenDialog(editor->Id())) PostMessageW(dialog, WM_COMMAND, IDYES, 0);
    editor->WaitForExit(100);
  }
  if (editor->Running()) {
    ADD_FAILURE() << "the editor did not end";
    editor->Kill();
  }
}

std::map<std::string, std::string> EditorProgram::State(const std::string& component) {
  std::map<std::string, std::string> values;
  auto reply = client.Request(appWindow, {"state", "Form1", component});
  if (!reply || !reply->ok) return values;
  std::istringstream lines(reply->text);
  std::string line;
  while (std::getline(lines, line)) {
    const auto equals = line.find('=');
    if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

std::string EditorProgram::Value(const std::string& key, const std::string& component) {
  return State(component)[key];
}

bool EditorProgram::WaitFor(const std::string& key, const std::string& value, const std::string& component) {
  return svtest::WaitUntil([&] { return Value(key, component) == value; }, 20000);
}

HWND EditorProgram::Control(const std::string& name) {
  HWND control = svtest::FindChildByName(mainWindow, name);
  EXPECT_NE(control, nullptr) << name;
  return control;
}

void EditorProgram::Type(const std::string& name, const std::string& text) {
  const std::wstring wide = forms::widen(text);
  svtest::SendTo(Control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), 20000);
}

std::string EditorProgram::Text(const std::string& name) {
  // WM_GETTEXT itself: another process's controls do not answer
  // GetWindowText.
  HWND control = Control(name);
  wchar_t text[1024] = {};
  svtest::SendTo(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return forms::narrow(text);
}

void EditorProgram::Click(const std::string& name) {
  auto reply = client.Request(appWindow, {"click", "Form1", name});
  EXPECT_TRUE(reply && reply->ok) << name << ": " << (reply ? reply->text : "no answer");
}

void EditorProgram::Command(UINT id) { PostMessageW(mainWindow, WM_COMMAND, id, 0); }

void EditorProgram::Drop(const std::vector<std::string>& paths) {
  std::vector<std::string> request{"drop", "Form1", ""};
  request.insert(request.end(), paths.begin(), paths.end());
  auto reply = client.Request(appWindow, request);
  EXPECT_TRUE(reply && reply->ok) << (reply ? reply->text : "no answer");
}

void EditorProgram::PickPosition(int index) {
  HWND list = Control("ListBox2");
  RECT item{};
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  const LPARAM point = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
  svtest::SendTo(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
  svtest::SendTo(list, WM_LBUTTONUP, 0, point);
}

std::vector<std::string> EditorProgram::AnswerBoxes(const std::vector<BoxAnswer>& answers) {
  std::vector<std::string> seen;
  for (const BoxAnswer& answer : answers) {
    HWND box = nullptr;
    if (!svtest::WaitUntil([&] { return (box = OpenDialog(editor->Id())) != nullptr && IsMessageBox(box); }, 20000)) {
      ADD_FAILURE() << "no box came for \"" << answer.text << "\"";
      return seen;
    }
    const std::string text = svtest::WindowText(GetDlgItem(box, 0xFFFF));
    seen.push_back(text);
    EXPECT_NE(text.find(answer.text), std::string::npos) << "expected \"" << answer.text << "\", saw: " << text;
    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(answer.button), 0);
    svtest::WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 20000);
  }
  return seen;
}

void EditorProgram::AnswerFileDialog(const std::string& fileName) {
  HWND dialog = nullptr;
  ASSERT_TRUE(svtest::WaitUntil([&] { return (dialog = OpenDialog(editor->Id())) != nullptr && !IsMessageBox(dialog); },
                                20000))
      << "no file dialog";
  if (fileName.empty()) {
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return;
  }
  // The name field: an edit (edt1) or a combo box (cmb13) with an edit;
  // the dialog may show before its controls are made.
  HWND field = nullptr;
  svtest::WaitUntil(
      [&] {
        field = GetDlgItem(dialog, 0x480);
        if (!field) field = GetDlgItem(dialog, 0x47C);
        // ComboBoxEx32 > ComboBox > Edit, or ComboBox > Edit.
        while (field && svtest::WindowClass(field) != "Edit") {
          HWND inner = FindWindowExW(field, nullptr, L"Edit", nullptr);
          field = inner ? inner : FindWindowExW(field, nullptr, L"ComboBox", nullptr);
        }
        return field != nullptr;
      },
      20000);
  std::string children;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children += svtest::WindowClass(child) + ":" + std::to_string(GetDlgCtrlID(child)) + " ";
  ASSERT_NE(field, nullptr) << "controls: " << children;
  std::wstring wide(fileName.begin(), fileName.end());
  svtest::SendTo(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  svtest::WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 20000);
}

bool EditorProgram::Quiet() {
  // A box may be on its way: give it time to show.
  Sleep(300);
  return OpenDialog(editor->Id()) == nullptr;
}

sv::skin::BmpImage EditorProgram::Capture(const std::string& component, const std::string& pngName) {
  const std::string file = svtest::PathToUtf8(folder / "capture.bmp");
  std::filesystem::remove(folder / "capture.bmp");
  auto reply = client.Request(appWindow, {"capture", "Form1", component, file});
  EXPECT_TRUE(reply && reply->ok) << (reply ? reply->text : "no answer");
  auto image = sv::skin::LoadBmpFile(file);
  if (!image) {
    ADD_FAILURE() << "no capture";
    return {};
  }
  if (!pngName.empty())
    svtest::ConvertBmpToPng(file, svtest::PathToUtf8(svtest::BuildRoot() / "tests" / "skineditor" / (pngName + ".png")));
  return *image;
}

}  // namespace editortest

namespace editortest {

std::vector<std::uint32_t> ScreenPixels(HWND window, int& width, int& height) {
  SetWindowPos(GetAncestor(window, GA_ROOT), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(300);
  RECT client{};
  GetClientRect(window, &client);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  width = client.right;
  height = client.bottom;
  return svtest::ScreenPixels(RECT{origin.x, origin.y, origin.x + width, origin.y + height});
}

void EditorProgram::ScreenShot(const std::string& pngName) {
  int width = 0, height = 0;
  const std::vector<std::uint32_t> pixels = ScreenPixels(mainWindow, width, height);
  svtest::SavePng(width, height, pixels,
                  svtest::PathToUtf8(svtest::BuildRoot() / "tests" / "skineditor" / (pngName + ".png")));
}

}  // namespace editortest
