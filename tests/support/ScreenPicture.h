#pragma once
// What the screen shows, for a person to look at: the system's controls and
// menus paint themselves there as the user sees them.
#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <vector>

namespace svtest {

// The pixels of a rectangle in screen coordinates, 0x00RRGGBB, top row
// first; empty when the rectangle is.
std::vector<std::uint32_t> ScreenPixels(const RECT& area);

// That rectangle as a PNG file; nothing is written when it is empty.
void SaveScreenPng(const RECT& area, const std::filesystem::path& path);

// The window's whole rectangle, frame included, as a PNG file.
void SaveScreenPng(HWND window, const std::filesystem::path& path);

}  // namespace svtest
