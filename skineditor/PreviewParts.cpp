#include "skineditor/PreviewParts.h"

#include "forms/GdiObject.h"
#include "forms/WindowedControl.h"
#include "skin/SkinColours.h"

namespace quorvane {

ColourSwatch::ColourSwatch(forms::TComponent* owner, forms::WindowedControl* parent, forms::Bounds bounds)
    : Control(owner) {
  bounds_ = bounds;
  SetParent(parent);
}

void ColourSwatch::SetColour(sv::skin::ColourValue colour) {
  colour_ = colour;
  Invalidate();
}

void ColourSwatch::Paint(HDC dc) {
  RECT area{0, 0, Width(), Height()};
  forms::BrushHandle fill(CreateSolidBrush(forms::ToColorRef(sv::skin::ScreenColour(colour_, Fallback))));
  FillRect(dc, &area, fill.Get());
  FrameRect(dc, &area, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void ColourSwatch::DescribeState(forms::StateList& state) const {
  state.emplace_back("Colour", sv::skin::ColourText(colour_));
}

SkinImage::SkinImage(forms::TComponent* owner, forms::WindowedControl* parent, forms::Bounds bounds)
    : Control(owner) {
  bounds_ = bounds;
  SetParent(parent);
}

void SkinImage::Show(forms::ColourValue colour, std::shared_ptr<forms::PixelBitmap> bitmap, int splitX, int splitY) {
  colour_ = colour;
  bitmap_ = std::move(bitmap);
  splitX_ = splitX;
  splitY_ = splitY;
  Invalidate();
}

void SkinImage::Paint(HDC dc) {
  RECT area{0, 0, Width(), Height()};
  forms::BrushHandle fill(CreateSolidBrush(forms::ToColorRef(colour_)));
  FillRect(dc, &area, fill.Get());
  if (bitmap_) sv::skin::PaintNineSlice(dc, *bitmap_, Width(), Height(), splitX_, splitY_);
}

void SkinImage::DescribeState(forms::StateList& state) const {
  state.emplace_back("Bitmap", bitmap_ ? std::to_string(bitmap_->Width()) + "x" + std::to_string(bitmap_->Height())
                                       : std::string());
  state.emplace_back("Split", std::to_string(splitX_) + "," + std::to_string(splitY_));
}

}  // namespace quorvane
