#include "forms/ImageView.h"

#include <cstdio>
#include <utility>

#include "base/Exception.h"

namespace forms {

ImageView::ImageView(TComponent* owner, WindowedControl* parent, Bounds bounds) : Control(owner) {
  bounds_ = bounds;
  SetParent(parent);
}

void ImageView::SetPicture(int width, int height, std::vector<std::uint8_t> bgrTopDownRows, int stride) {
  // 64-bit sizes: a forged header must not wrap the checks below.
  auto rowBytes = static_cast<std::int64_t>(width) * 3;
  if (width <= 0 || height <= 0 || stride < rowBytes || stride % 4 != 0 ||
      static_cast<std::int64_t>(bgrTopDownRows.size()) < static_cast<std::int64_t>(stride) * height)
    throw sv::Exception("The picture's size does not match its data");
  pixels_ = std::move(bgrTopDownRows);
  width_ = width;
  height_ = height;
  stride_ = stride;
  Invalidate();
}

void ImageView::ClearPicture() {
  if (!HasPicture()) return;
  pixels_.clear();
  pixels_.shrink_to_fit();
  width_ = height_ = stride_ = 0;
  Invalidate();
}

void ImageView::CopyPictureFrom(const ImageView& other) {
  if (&other == this) return;
  pixels_ = other.pixels_;
  width_ = other.width_;
  height_ = other.height_;
  stride_ = other.stride_;
  Invalidate();
}

std::uint32_t ImageView::PictureChecksum() const {
  if (!HasPicture()) return 0;
  // FNV-1a over the visible bytes of each row.
  std::uint32_t hash = 2166136261u;
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* row = pixels_.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(stride_);
    for (int i = 0; i < width_ * 3; ++i) {
      hash ^= row[i];
      hash *= 16777619u;
    }
  }
  return hash;
}

void ImageView::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  Control::MouseDown(button, shift, x, y);
  if (button == MouseButton::Left && (shift & kDoubleClick) && OnDblClick) OnDblClick(this);
}

void ImageView::Paint(HDC dc) {
  if (!HasPicture()) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  // The parent restores the device context after each control. Halftone
  // stretching needs the brush origin set after choosing it.
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, 0, 0, Width(), Height(), 0, 0, width_, height_, pixels_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void ImageView::DescribeState(StateList& state) const {
  state.emplace_back("HasPicture", HasPicture() ? "1" : "0");
  state.emplace_back("PictureWidth", std::to_string(width_));
  state.emplace_back("PictureHeight", std::to_string(height_));
  char checksum[16];
  std::snprintf(checksum, sizeof(checksum), "%08X", static_cast<unsigned>(PictureChecksum()));
  state.emplace_back("PictureChecksum", checksum);
}

}  // namespace forms
