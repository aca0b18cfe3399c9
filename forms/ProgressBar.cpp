#include "forms/ProgressBar.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>

namespace forms {

namespace {

// Ranges that fit the window's are shown exactly, so that another program
// reading the window sees the true values; larger ones are scaled onto this.
constexpr std::int64_t kScaledRange = 1 << 30;

void LoadProgressClass() {
  static const bool loaded = [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  static_cast<void>(loaded);
}

COLORREF SystemOr(ColourValue colour) { return colour == kColourNone ? CLR_DEFAULT : ToColorRef(colour); }

}  // namespace

ProgressBar::ProgressBar(TComponent* owner, WindowedControl* parent, Bounds bounds, bool vertical)
    : WindowedControl(owner), vertical_(vertical) {
  LoadProgressClass();
  CreateSystemHandle(PROGRESS_CLASSW, WS_VISIBLE | WS_CLIPSIBLINGS | (vertical ? PBS_VERTICAL : 0), 0, parent, bounds);
  UpdateWindow();
}

void ProgressBar::SetMax(std::int64_t max) {
  max_ = std::max<std::int64_t>(max, 0);
  position_ = std::clamp<std::int64_t>(position_, 0, max_);
  UpdateWindow();
}

void ProgressBar::SetPosition(std::int64_t position) {
  position_ = std::clamp<std::int64_t>(position, 0, max_);
  UpdateWindow();
}

int ProgressBar::WindowRange() const { return static_cast<int>(max_ <= kScaledRange ? max_ : kScaledRange); }

int ProgressBar::WindowPosition() const {
  if (max_ <= kScaledRange) return static_cast<int>(position_);
  // The product would overflow 64 bits; a double is exact enough for a bar.
  double fraction = static_cast<double>(position_) / static_cast<double>(max_);
  return static_cast<int>(std::min<double>(fraction * kScaledRange, kScaledRange));
}

void ProgressBar::UpdateWindow() {
  SendMessageW(Handle(), PBM_SETRANGE32, 0, WindowRange());
  SendMessageW(Handle(), PBM_SETPOS, static_cast<WPARAM>(WindowPosition()), 0);
}

// Visual styles draw the bar in the theme's colours whatever it is told:
// a bar with colours of its own leaves the theme.
void ProgressBar::LeaveTheme() {
  if (themeLeft_) return;
  themeLeft_ = true;
  SetWindowTheme(Handle(), L" ", L" ");
}

void ProgressBar::SetBarColor(ColourValue colour) {
  if (colour != kColourNone) LeaveTheme();
  barColor_ = colour;
  SendMessageW(Handle(), PBM_SETBARCOLOR, 0, static_cast<LPARAM>(SystemOr(colour)));
}

void ProgressBar::SetBackgroundColor(ColourValue colour) {
  if (colour != kColourNone) LeaveTheme();
  backgroundColor_ = colour;
  SendMessageW(Handle(), PBM_SETBKCOLOR, 0, static_cast<LPARAM>(SystemOr(colour)));
}

void ProgressBar::HandleWindowMessage(WindowMessage& message) {
  HWND window = Handle();
  bool pressed = message.Msg == WM_LBUTTONDOWN || message.Msg == WM_RBUTTONDOWN || message.Msg == WM_MBUTTONDOWN;
  bool released = message.Msg == WM_LBUTTONUP || message.Msg == WM_RBUTTONUP || message.Msg == WM_MBUTTONUP;
  if (pressed) SetCapture(window);
  // The handlers may free the bar: only the window is used afterwards.
  WindowedControl::HandleWindowMessage(message);
  if (released && !(message.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == window)
    ReleaseCapture();
}

void ProgressBar::DescribeState(StateList& state) const {
  state.emplace_back("Position", std::to_string(position_));
  state.emplace_back("Max", std::to_string(max_));
  state.emplace_back("Vertical", vertical_ ? "1" : "0");
}

}  // namespace forms
