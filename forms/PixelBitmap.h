#pragma once
// A small 32-bit bitmap in memory whose pixels can be read directly, and the
// surface that draws on it. The bitmap is selected into a device context
// only while a surface exists, so that an image list can take it otherwise.
#include <windows.h>

#include <cstdint>
#include <string_view>

#include "forms/GdiObject.h"

namespace forms {

class TextFont;

// A 32-bit bitmap of top-down rows, 0x00RRGGBB, whose pixels the caller
// reads and writes; empty, with no pixels, when the system refuses one.
BitmapHandle CreatePixelSection(int width, int height, std::uint32_t*& pixels);

class PixelBitmap {
 public:
  PixelBitmap(int width, int height);

  HBITMAP Handle() const { return bitmap_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The colour at a point (0 outside the bitmap); finish drawing first.
  COLORREF Pixel(int x, int y) const;
  void SetPixel(int x, int y, COLORREF colour);
  // Width x Height pixels, 0x00RRGGBB, top row first.
  void SetPixels(const std::uint32_t* pixels);

 private:
  BitmapHandle bitmap_;
  std::uint32_t* pixels_ = nullptr;  // top-down rows, 0x00RRGGBB
  int width_;
  int height_;
};

class BitmapPainter {
 public:
  explicit BitmapPainter(PixelBitmap& bitmap);
  // Puts back what was selected, so the bitmap and font are free again.
  ~BitmapPainter();
  BitmapPainter(const BitmapPainter&) = delete;
  BitmapPainter& operator=(const BitmapPainter&) = delete;

  HDC DC() const { return dc_.Get(); }

  // The font for WriteText and the text measures, in its colour.
  void SetFont(const TextFont& font);
  void FillRect(const RECT& rect, COLORREF colour);
  // A one-pixel frame inside the rectangle.
  void FrameRect(const RECT& rect, COLORREF colour);
  // Text over what is there (no background box).
  void WriteText(int x, int y, std::string_view text);
  SIZE TextExtent(std::string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }
  // An icon stretched to width x height with its own transparency.
  void DrawIcon(HICON icon, int x, int y, int width, int height);
  // Copies the other bitmap's pixels at (x, y) except those of colour `key`.
  void DrawTransparent(const PixelBitmap& source, int x, int y, COLORREF key);

 private:
  PixelBitmap& bitmap_;
  OffscreenDC dc_;
  HGDIOBJ oldBitmap_;
  HGDIOBJ oldFont_ = nullptr;
};

}  // namespace forms
