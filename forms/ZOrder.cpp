#include "forms/ZOrder.h"

namespace forms {

namespace {
constexpr UINT kKeepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
}

bool IsWindowTopmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

void SetWindowTopmost(HWND window, bool topmost) {
  SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
  if (topmost || !IsWindowTopmost(window)) return;
  // Wine keeps an owned popup just above its owner, and when the owner sits
  // right below the topmost band that means inside it. Without its owner
  // for a moment the window leaves the band; the owner is then given back.
  HWND owner = GetWindow(window, GW_OWNER);
  if (!owner) return;
  SetWindowLongPtrW(window, GWLP_HWNDPARENT, 0);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, kKeepPlace);
  SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

}  // namespace forms
