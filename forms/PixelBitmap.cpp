#include "forms/PixelBitmap.h"

#include <algorithm>

#include "base/Exception.h"
#include "forms/TextFont.h"
#include "forms/Wide.h"

namespace forms {

namespace {
std::uint32_t ToPixel(COLORREF colour) {
  return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

COLORREF FromPixel(std::uint32_t pixel) { return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF); }
}  // namespace

BitmapHandle CreatePixelSection(int width, int height, std::uint32_t*& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  pixels = bitmap ? static_cast<std::uint32_t*>(bits) : nullptr;
  if (!pixels) bitmap.Reset(nullptr);
  return bitmap;
}

PixelBitmap::PixelBitmap(int width, int height) : width_(width), height_(height) {
  bitmap_ = CreatePixelSection(width, height, pixels_);
  if (!bitmap_) throw sv::Exception("Cannot create a bitmap");
}

COLORREF PixelBitmap::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  GdiFlush();
  return FromPixel(pixels_[y * width_ + x]);
}

void PixelBitmap::SetPixel(int x, int y, COLORREF colour) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  GdiFlush();
  pixels_[y * width_ + x] = ToPixel(colour);
}

void PixelBitmap::SetPixels(const std::uint32_t* pixels) {
  GdiFlush();
  std::copy(pixels, pixels + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), pixels_);
}

BitmapPainter::BitmapPainter(PixelBitmap& bitmap) : bitmap_(bitmap) {
  if (!dc_.Get()) throw sv::Exception("Cannot create a drawing surface");
  oldBitmap_ = SelectObject(dc_.Get(), bitmap.Handle());
  SetBkMode(dc_.Get(), TRANSPARENT);
}

BitmapPainter::~BitmapPainter() {
  if (oldFont_) SelectObject(dc_.Get(), oldFont_);
  SelectObject(dc_.Get(), oldBitmap_);
}

void BitmapPainter::SetFont(const TextFont& font) {
  HGDIOBJ previous = SelectObject(dc_.Get(), font.Handle());
  if (!oldFont_) oldFont_ = previous;
  SetTextColor(dc_.Get(), ToColorRef(font.Color()));
}

void BitmapPainter::FillRect(const RECT& rect, COLORREF colour) {
  BrushHandle brush(CreateSolidBrush(colour));
  ::FillRect(dc_.Get(), &rect, brush.Get());
}

void BitmapPainter::FrameRect(const RECT& rect, COLORREF colour) {
  BrushHandle brush(CreateSolidBrush(colour));
  ::FrameRect(dc_.Get(), &rect, brush.Get());
}

void BitmapPainter::WriteText(int x, int y, std::string_view text) {
  std::wstring wide = widen(text);
  TextOutW(dc_.Get(), x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE BitmapPainter::TextExtent(std::string_view text) {
  std::wstring wide = widen(text);
  SIZE size{0, 0};
  GetTextExtentPoint32W(dc_.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
  return size;
}

void BitmapPainter::DrawIcon(HICON icon, int x, int y, int width, int height) {
  if (icon) DrawIconEx(dc_.Get(), x, y, icon, width, height, 0, nullptr, DI_NORMAL);
}

void BitmapPainter::DrawTransparent(const PixelBitmap& source, int x, int y, COLORREF key) {
  GdiFlush();
  for (int row = 0; row < source.Height(); ++row) {
    for (int column = 0; column < source.Width(); ++column) {
      COLORREF colour = source.Pixel(column, row);
      if (colour != key) bitmap_.SetPixel(x + column, y + row, colour);
    }
  }
}

}  // namespace forms
