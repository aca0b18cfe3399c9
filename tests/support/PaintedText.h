#pragma once
// The room a text takes where our double-buffered windows paint it: in a
// bitmap of the window's format, in the font a label's state describes.
#include <windows.h>

#include <map>
#include <string>

namespace svtest {

// The text's size with DrawText's `flags` (wrapped within `wrapWidth` with
// DT_WORDBREAK), in the font of `label` (its FontName, FontHeight,
// FontBold and FontItalic state keys).
SIZE PaintedTextSize(HWND window, const std::map<std::string, std::string>& label, const std::string& text,
                     UINT flags, int wrapWidth = 0);

}  // namespace svtest
