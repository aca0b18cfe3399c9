#pragma once
// Moving top-level windows into and out of the topmost band.
#include <windows.h>

namespace forms {

// Never activates the window.
void SetWindowTopmost(HWND window, bool topmost);
bool IsWindowTopmost(HWND window);

}  // namespace forms
