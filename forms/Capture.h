#pragma once
// Renders a window's client area, with its child windows, into a bitmap
// and saves it as a BMP file: the automation interface's snapshots. The
// window paints itself into memory, so it need not be visible on screen.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace forms {

struct CapturedImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;  // 0x00RRGGBB, top row first
};

// `area` is in the window's client coordinates.
CapturedImage CaptureClientArea(HWND window, const RECT& area);

// Writes a 24-bit BMP; throws sv::Exception when the file cannot be written.
void SaveBmp(const CapturedImage& image, const std::string& path);

}  // namespace forms
