#include "tests/support/ScreenPicture.h"

#include "tests/support/PngFile.h"
#include "tests/support/TempFolder.h"

namespace svtest {

std::vector<std::uint32_t> ScreenPixels(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return {};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
  return pixels;
}

void SaveScreenPng(const RECT& area, const std::filesystem::path& path) {
  const std::vector<std::uint32_t> pixels = ScreenPixels(area);
  if (pixels.empty()) return;
  SavePng(area.right - area.left, area.bottom - area.top, pixels, PathToUtf8(path));
}

void SaveScreenPng(HWND window, const std::filesystem::path& path) {
  RECT area{};
  GetWindowRect(window, &area);
  SaveScreenPng(area, path);
}

}  // namespace svtest
