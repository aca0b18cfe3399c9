#pragma once
// Colour values as the programs store them: 0x00BBGGRR, or a system colour
// index with the top bit set (button face is 0x8000000F), or "none".
#include <windows.h>

#include <cstdint>

namespace forms {

using ColourValue = std::uint32_t;

inline constexpr ColourValue kColourNone = 0x1FFFFFFF;
inline constexpr ColourValue kColourButtonFace = 0x80000000u | COLOR_BTNFACE;
inline constexpr ColourValue kColourWindow = 0x80000000u | COLOR_WINDOW;

// The plain RGB value a GDI call needs.
inline COLORREF ToColorRef(ColourValue colour) {
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFF));
  return static_cast<COLORREF>(colour & 0x00FFFFFF);
}

}  // namespace forms
