#include "tests/player/app/OptionsTestSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <sstream>
#include <utility>
#include <vector>

#include "desktop/TrayIcon.h"
#include "forms/Wide.h"
#include "tests/support/ScreenPicture.h"

namespace playertest {

namespace {

BOOL CALLBACK PostTrayDoubleClick(HWND window, LPARAM processId) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (svtest::WindowProcess(window) == static_cast<DWORD>(processId) && std::wstring(name) == L"SorivanelUtilityWindow")
    PostMessageW(window, desktop::kTrayCallbackMessage, 1, WM_LBUTTONDBLCLK);
  return TRUE;
}

// A control's notification, as the system sends it to the control's parent.
void Notify(HWND control, WORD code) {
  svtest::SendTo(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                 reinterpret_cast<LPARAM>(control));
}

}  // namespace

void OptionsWindow::OpenOptions() {
  if (!player) Start();
  EnumWindows(&PostTrayDoubleClick, static_cast<LPARAM>(player->Id()));
  options = player->WaitForWindow("TFormOptions", "", 20000);
  ASSERT_NE(options, nullptr) << "the options window did not open";
  ASSERT_TRUE(svtest::WaitUntil([&] { return OptionsValue("Tag") == "1"; }, 20000)) << "the window did not fill";
}

void OptionsWindow::CloseOptions() {
  svtest::PostTo(options, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(svtest::WaitUntil([&] { return !IsWindow(options); }, 20000)) << "the options window did not close";
  options = nullptr;
}

HWND OptionsWindow::Control(const std::string& name) {
  HWND control = svtest::FindChildByName(options, name);
  EXPECT_NE(control, nullptr) << "no control " << name;
  return control;
}

std::string OptionsWindow::OptionsValue(const std::string& key, const std::string& component) {
  auto reply = client.Request(appWindow, {"state", "FormOptions", component});
  if (!reply || !reply->ok) return "<none>";
  std::istringstream lines(reply->text);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(key + "=", 0) == 0) return line.substr(key.size() + 1);
  }
  return "<none>";
}

void OptionsWindow::Click(const std::string& name) {
  if (HWND control = Control(name)) svtest::SendTo(control, BM_CLICK, 0, 0, 30000);
}

void OptionsWindow::ChooseRadio(const std::string& group, int item) {
  HWND box = Control(group);
  // The items stand top to bottom.
  std::vector<std::pair<LONG, HWND>> buttons;
  for (HWND child = box ? GetWindow(box, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(child, &r);
    buttons.emplace_back(r.top, child);
  }
  std::sort(buttons.begin(), buttons.end());
  ASSERT_LT(static_cast<std::size_t>(item), buttons.size()) << "no item " << item << " in " << group;
  HWND button = buttons[static_cast<std::size_t>(item)].second;
  svtest::SendTo(button, BM_CLICK, 0, 0, 30000);
}

void OptionsWindow::ChooseListItem(const std::string& list, int item) {
  HWND control = Control(list);
  if (!control) return;
  svtest::SendTo(control, LB_SETCURSEL, static_cast<WPARAM>(item));
  Notify(control, LBN_SELCHANGE);
}

void OptionsWindow::ChooseComboItem(const std::string& combo, int item) {
  HWND control = Control(combo);
  if (!control) return;
  svtest::SendTo(control, CB_SETCURSEL, static_cast<WPARAM>(item));
  Notify(control, CBN_SELCHANGE);
}

void OptionsWindow::TypeComboText(const std::string& combo, const std::string& text) {
  HWND control = Control(combo);
  if (!control) return;
  const std::wstring wide = forms::widen(text);
  svtest::SendTo(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  Notify(control, CBN_EDITCHANGE);
}

void OptionsWindow::MoveSlider(const std::string& slider, int position) {
  HWND control = Control(slider);
  if (!control) return;
  svtest::SendTo(control, TBM_SETPOS, TRUE, position);
  svtest::SendTo(GetParent(control), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(control));
}

void OptionsWindow::ShowPage(int page) { ChooseListItem("ListBoxPages", page); }

void OptionsWindow::SavePicture(const std::string& pngName) {
  // What the screen shows: the system's controls paint themselves there as
  // the user sees them.
  RedrawWindow(options, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  svtest::WaitUntil([] { return false; }, 300);
  RECT client{};
  GetClientRect(options, &client);
  POINT origin{0, 0};
  ClientToScreen(options, &origin);
  const int width = client.right;
  const int height = client.bottom;
  ASSERT_GT(width, 0);
  svtest::SaveScreenPng(RECT{origin.x, origin.y, origin.x + width, origin.y + height},
                        svtest::BuildRoot() / pngName);
}

}  // namespace playertest
