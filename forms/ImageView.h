#pragma once
// A windowless control showing a 24-bit picture stretched over its bounds:
// the album cover preview. Nothing is drawn without a picture, so the
// parent's background shows.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "forms/Control.h"

namespace forms {

class ImageView : public Control {
 public:
  ImageView(TComponent* owner, WindowedControl* parent, Bounds bounds);

  // Rows top-down, 3 bytes per pixel in blue, green, red order, each row
  // `stride` bytes (a multiple of 4). Raises sv::Exception and keeps the
  // picture shown when the sizes do not fit the bytes.
  void SetPicture(int width, int height, std::vector<std::uint8_t> bgrTopDownRows, int stride);
  void ClearPicture();
  // The other view's picture (or none), shown at this view's size.
  void CopyPictureFrom(const ImageView& other);
  bool HasPicture() const { return !pixels_.empty(); }
  int PictureWidth() const { return width_; }
  int PictureHeight() const { return height_; }
  // A hash of the picture's pixels (row padding left out); 0 without one.
  std::uint32_t PictureChecksum() const;

  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void Paint(HDC dc) override;
  void DescribeState(StateList& state) const override;

  TNotifyEvent OnDblClick;

 private:
  std::vector<std::uint8_t> pixels_;
  int width_ = 0;
  int height_ = 0;
  int stride_ = 0;
};

}  // namespace forms
