#pragma once
// The font of the system's controls in our dialogs (buttons, boxes, lists,
// edits): made once for the program's life.
#include <windows.h>

namespace forms {

HFONT DialogFont();

// Gives a system control the dialog font.
void UseDialogFont(HWND control);

}  // namespace forms
