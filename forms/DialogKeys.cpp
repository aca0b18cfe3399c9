#include "forms/DialogKeys.h"

#include <algorithm>
#include <vector>

#include "forms/Buttons.h"
#include "forms/Form.h"

namespace forms {

namespace {

bool Held(int key) { return GetKeyState(key) < 0; }

// The form whose window holds `window`, or null for a window not ours.
TForm* FormOf(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  return root ? dynamic_cast<TForm*>(WindowedControl::FromHandle(root)) : nullptr;
}

// Every windowed control of a window, in the order it was made, each
// before the controls it holds.
void Collect(const WindowedControl& parent, std::vector<WindowedControl*>& out) {
  for (Control* control : parent.Controls()) {
    if (auto* windowed = dynamic_cast<WindowedControl*>(control)) {
      out.push_back(windowed);
      Collect(*windowed, out);
    }
  }
}

// Shown and enabled, and so is everything that holds it.
bool Usable(HWND window) {
  if (!window || !IsWindowVisible(window)) return false;
  for (HWND w = window; w; w = GetParent(w))
    if (!IsWindowEnabled(w)) return false;
  return true;
}

// Of a group of round buttons only the chosen one is a stop, or the first
// one while none is chosen.
bool RadioStop(const RadioButton& radio) {
  if (radio.Checked()) return true;
  for (Control* sibling : radio.Parent()->Controls()) {
    const auto* other = dynamic_cast<const RadioButton*>(sibling);
    if (other && other->Checked()) return false;
  }
  for (Control* sibling : radio.Parent()->Controls())
    if (const auto* first = dynamic_cast<const RadioButton*>(sibling)) return first == &radio;
  return false;
}

bool TakesFocus(const WindowedControl& control) {
  HWND window = control.Handle();
  if (!Usable(window) || !(GetWindowLongPtrW(window, GWL_STYLE) & WS_TABSTOP)) return false;
  const auto* radio = dynamic_cast<const RadioButton*>(&control);
  return !radio || RadioStop(*radio);
}

// The control of ours that holds the focus: a system control's inner
// window (a combo box's field) stands for the control.
WindowedControl* FocusOwner(HWND focus, HWND root) {
  for (HWND w = focus; w && w != root; w = GetParent(w))
    if (WindowedControl* control = WindowedControl::FromHandle(w)) return control;
  return nullptr;
}

// The system's edit fields, plain or rich ("RichEdit50W" and its kin).
bool IsTextField(HWND window) {
  wchar_t name[32] = {};
  const int length = GetClassNameW(window, name, 32);
  return CompareStringOrdinal(name, length, L"Edit", 4, TRUE) == CSTR_EQUAL ||
         (length >= 8 && CompareStringOrdinal(name, 8, L"RichEdit", 8, TRUE) == CSTR_EQUAL);
}

// Whether the control that has the key uses it itself.
bool ControlKeepsKey(MSG msg) {
  const LONG_PTR style = GetWindowLongPtrW(msg.hwnd, GWL_STYLE);
  if (IsTextField(msg.hwnd) && (style & ES_MULTILINE))
    // Tab and Escape leave a field of several lines; Enter starts a new
    // line in one that is made for it.
    return msg.wParam == VK_RETURN && (style & ES_WANTRETURN) && !(style & ES_READONLY);
  const LRESULT code = SendMessageW(msg.hwnd, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg));
  if (msg.wParam == VK_TAB) return (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) != 0;
  return (code & DLGC_WANTALLKEYS) != 0;
}

void Focus(HWND window) {
  SetFocus(window);
  // A text field shows its whole text chosen, ready to be typed over.
  if (SendMessageW(window, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(window, EM_SETSEL, 0, -1);
}

bool MoveFocus(const std::vector<WindowedControl*>& controls, const WindowedControl* current, bool back) {
  const std::size_t count = controls.size();
  if (count == 0) return false;
  const auto at = std::find(controls.begin(), controls.end(), current);
  // Without a current control the first stop (or the last, backwards) comes first.
  const std::size_t start = at != controls.end() ? static_cast<std::size_t>(at - controls.begin()) : back ? 0 : count - 1;
  for (std::size_t step = 1; step <= count; ++step) {
    const std::size_t i = back ? (start + count - step) % count : (start + step) % count;
    if (!TakesFocus(*controls[i])) continue;
    if (controls[i] != current) Focus(controls[i]->Handle());
    return true;
  }
  return false;
}

// The first shown and enabled button of the window that the test picks.
template <class Pick>
Button* FindButton(const std::vector<WindowedControl*>& controls, Pick pick) {
  for (WindowedControl* control : controls) {
    auto* button = dynamic_cast<Button*>(control);
    if (button && pick(*button) && Usable(button->Handle())) return button;
  }
  return nullptr;
}

}  // namespace

bool HandleDialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || (msg.wParam != VK_TAB && msg.wParam != VK_RETURN && msg.wParam != VK_ESCAPE))
    return false;
  if (Held(VK_CONTROL) || Held(VK_MENU)) return false;
  TForm* form = FormOf(msg.hwnd);
  if (!form || ControlKeepsKey(msg)) return false;
  std::vector<WindowedControl*> controls;
  Collect(*form, controls);
  WindowedControl* current = FocusOwner(msg.hwnd, form->Handle());

  Button* pressed = nullptr;
  switch (msg.wParam) {
    case VK_TAB:
      return MoveFocus(controls, current, Held(VK_SHIFT));
    case VK_RETURN: {
      auto* focused = dynamic_cast<Button*>(current);
      pressed = focused && Usable(focused->Handle()) ? focused
                                                     : FindButton(controls, [](const Button& b) { return b.Default(); });
      break;
    }
    default:
      pressed = FindButton(controls, [](const Button& b) { return b.Cancel; });
      break;
  }
  if (!pressed) return false;
  pressed->Click();
  return true;
}

}  // namespace forms
