#include "forms/Capture.h"

#include <cstring>

#include "base/Exception.h"
#include "forms/GdiObject.h"
#include "forms/PixelBitmap.h"
#include "forms/Wide.h"

namespace forms {

namespace {

// Every window is asked to print its client area: ours paint through their
// object, the system's controls (lists, bars) draw their own content.
// Children follow, bottom first, each at its place. Each child prints into
// a bitmap of its own with the origin at its corner: some system controls
// take the item rectangles they clip to as device coordinates, which an
// offset origin would shift.
void Render(HWND window, HDC dc) {
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  HWND child = GetWindow(window, GW_CHILD);
  if (child) child = GetWindow(child, GW_HWNDLAST);
  for (; child; child = GetWindow(child, GW_HWNDPREV)) {
    if (!IsWindowVisible(child)) continue;
    POINT origin{0, 0};
    MapWindowPoints(child, window, &origin, 1);
    RECT client{};
    GetClientRect(child, &client);
    if (client.right <= 0 || client.bottom <= 0) continue;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (memory && bitmap) {
      HGDIOBJ old = SelectObject(memory, bitmap);
      // What the parent painted shows where the child paints nothing.
      BitBlt(memory, 0, 0, client.right, client.bottom, dc, origin.x, origin.y, SRCCOPY);
      Render(child, memory);
      BitBlt(dc, origin.x, origin.y, client.right, client.bottom, memory, 0, 0, SRCCOPY);
      SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
  }
}

struct FileHandle {
  HANDLE handle;
  ~FileHandle() {
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};

}  // namespace

CapturedImage CaptureClientArea(HWND window, const RECT& area) {
  CapturedImage image;
  RECT client{};
  GetClientRect(window, &client);
  if (client.right <= 0 || client.bottom <= 0) return image;

  std::uint32_t* source = nullptr;
  OffscreenDC memory;
  BitmapHandle bitmap = CreatePixelSection(client.right, client.bottom, source);
  if (!memory.Get() || !bitmap) throw sv::Exception("Cannot make a bitmap for the capture");
  HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
  Render(window, memory.Get());
  GdiFlush();

  RECT cut{};
  IntersectRect(&cut, &area, &client);
  image.Width = cut.right - cut.left;
  image.Height = cut.bottom - cut.top;
  image.Pixels.resize(static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height));
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x)
      image.Pixels[static_cast<std::size_t>(y) * image.Width + x] =
          source[static_cast<std::size_t>(cut.top + y) * client.right + cut.left + x] & 0x00FFFFFF;
  }
  SelectObject(memory.Get(), old);
  return image;
}

void SaveBmp(const CapturedImage& image, const std::string& path) {
  const std::uint32_t rowSize = (static_cast<std::uint32_t>(image.Width) * 3 + 3) & ~3u;
  const std::uint32_t dataSize = rowSize * static_cast<std::uint32_t>(image.Height);
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + dataSize;
  header.biSize = sizeof(header);
  header.biWidth = image.Width;
  header.biHeight = image.Height;  // bottom row first, as BMP files usually are
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = dataSize;

  std::string data(file.bfSize, '\0');
  std::memcpy(data.data(), &file, sizeof(file));
  std::memcpy(data.data() + sizeof(file), &header, sizeof(header));
  for (int y = 0; y < image.Height; ++y) {
    char* row = data.data() + file.bfOffBits + static_cast<std::size_t>(image.Height - 1 - y) * rowSize;
    for (int x = 0; x < image.Width; ++x) {
      std::uint32_t pixel = image.Pixels[static_cast<std::size_t>(y) * image.Width + x];
      row[x * 3] = static_cast<char>(pixel & 0xFF);
      row[x * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
      row[x * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
    }
  }

  FileHandle out{
      CreateFileW(widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)};
  DWORD written = 0;
  if (out.handle == INVALID_HANDLE_VALUE ||
      !WriteFile(out.handle, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) || written != data.size())
    throw sv::Exception("Cannot write " + path);
}

}  // namespace forms
