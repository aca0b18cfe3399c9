#pragma once
// Shared by the tray icon tests: a recorder standing in for the shell and icon
// pixels read back.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "desktop/TrayIcon.h"

namespace traytest {

struct ShellCall {
  DWORD message;
  NOTIFYICONDATAW data;
  std::wstring Tip() const { return data.szTip; }
  std::wstring Info() const { return data.szInfo; }
  std::wstring InfoTitle() const { return data.szInfoTitle; }
};

// Records every shell call for the lifetime of the object and answers TRUE.
class ShellRecorder {
 public:
  ShellRecorder() {
    previous_ = desktop::SetShellNotifyFunction([this](DWORD message, NOTIFYICONDATAW* data) {
      calls.push_back({message, *data});
      return TRUE;
    });
  }
  ~ShellRecorder() { desktop::SetShellNotifyFunction(previous_); }
  ShellRecorder(const ShellRecorder&) = delete;
  ShellRecorder& operator=(const ShellRecorder&) = delete;

  std::vector<ShellCall> calls;
  const ShellCall& Last() const { return calls.back(); }
  std::size_t Count(DWORD message, UINT id) const {
    std::size_t count = 0;
    for (const auto& call : calls) count += call.message == message && call.data.uID == id;
    return count;
  }

 private:
  desktop::ShellNotifyFunction previous_;
};

// The colour (0x00RRGGBB) and transparency of each pixel of a 16x16 icon.
struct IconPixels {
  std::uint32_t colour[16][16]{};
  bool transparent[16][16]{};
  bool Ink(int x, int y, std::uint32_t rgb) const { return !transparent[y][x] && colour[y][x] == rgb; }
};

inline std::vector<std::uint32_t> ReadBitmap(HBITMAP bitmap) {
  std::vector<std::uint32_t> pixels(16 * 16);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = 16;
  info.bmiHeader.biHeight = -16;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, 16, pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return pixels;
}

inline IconPixels ReadIcon(HICON icon) {
  IconPixels result;
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return result;
  auto colour = ReadBitmap(info.hbmColor);
  auto mask = ReadBitmap(info.hbmMask);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      result.colour[y][x] = colour[y * 16 + x] & 0xFFFFFF;
      result.transparent[y][x] = (mask[y * 16 + x] & 0xFFFFFF) != 0;
    }
  }
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return result;
}

}  // namespace traytest
