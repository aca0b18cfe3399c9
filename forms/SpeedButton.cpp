#include "forms/SpeedButton.h"

#include <optional>
#include <utility>

#include "forms/GdiObject.h"
#include "forms/WindowedControl.h"

namespace forms {

namespace {

// A disabled button's picture: grey, and lighter, keeping the transparent
// colour as it is.
PixelBitmap DimmedCopy(const PixelBitmap& source, COLORREF key) {
  PixelBitmap dimmed(source.Width(), source.Height());
  for (int y = 0; y < source.Height(); ++y) {
    for (int x = 0; x < source.Width(); ++x) {
      COLORREF colour = source.Pixel(x, y);
      if (colour != key) {
        int grey = (GetRValue(colour) * 30 + GetGValue(colour) * 59 + GetBValue(colour) * 11) / 100;
        auto light = static_cast<BYTE>(128 + grey / 2);
        colour = RGB(light, light, light);
      }
      dimmed.SetPixel(x, y, colour);
    }
  }
  return dimmed;
}

}  // namespace

SpeedButton::SpeedButton(TComponent* owner, WindowedControl* parent, Bounds bounds) : Control(owner) {
  bounds_ = bounds;
  SetParent(parent);
}

void SpeedButton::SetGlyph(std::shared_ptr<const PixelBitmap> glyph) {
  glyph_ = std::move(glyph);
  Invalidate();
}

void SpeedButton::SetDown(bool down) {
  if (groupIndex_ == 0) down = false;
  if (down == down_) return;
  if (!down && !allowAllUp_) return;
  down_ = down;
  if (down && Parent()) {
    for (Control* control : Parent()->Controls()) {
      auto* other = dynamic_cast<SpeedButton*>(control);
      if (other && other != this && other->groupIndex_ == groupIndex_ && other->down_) {
        other->down_ = false;
        other->Invalidate();
      }
    }
  }
  Invalidate();
}

void SpeedButton::SetGroupIndex(int groupIndex) {
  groupIndex_ = groupIndex < 0 ? 0 : groupIndex;
  if (groupIndex_ == 0 && down_) {
    down_ = false;
    Invalidate();
  }
}

void SpeedButton::SetPressed(bool pressed) {
  if (pressed == pressed_) return;
  pressed_ = pressed;
  Invalidate();
}

void SpeedButton::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left) {
    tracking_ = true;
    SetPressed(true);
  }
  Control::MouseDown(button, shift, x, y);
}

void SpeedButton::MouseMove(ShiftState shift, int x, int y) {
  if (tracking_) SetPressed(Inside(x, y));
  Control::MouseMove(shift, x, y);
}

void SpeedButton::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (button == MouseButton::Left && tracking_) {
    tracking_ = false;
    SetPressed(false);
    // The group changes before the click handlers run, so they see it.
    if (Inside(x, y) && groupIndex_ > 0) SetDown(!down_);
  }
  Control::MouseUp(button, shift, x, y);
}

void SpeedButton::Paint(HDC dc) {
  RECT area{0, 0, Width(), Height()};
  bool sunken = down_ || pressed_;
  if (sunken) DrawEdge(dc, &area, BDR_SUNKENOUTER, BF_RECT);
  if (!glyph_) return;
  int offset = sunken ? 1 : 0;
  DrawGlyph(dc, (Width() - glyph_->Width()) / 2 + offset, (Height() - glyph_->Height()) / 2 + offset);
}

void SpeedButton::DrawGlyph(HDC dc, int x, int y) const {
  const PixelBitmap& glyph = *glyph_;
  if (glyph.Width() <= 0 || glyph.Height() <= 0) return;
  COLORREF key = glyph.Pixel(0, glyph.Height() - 1);
  std::optional<PixelBitmap> dimmed;
  if (!Enabled()) dimmed.emplace(DimmedCopy(glyph, key));
  const PixelBitmap& shown = dimmed ? *dimmed : glyph;
  OffscreenDC source;
  HGDIOBJ old = SelectObject(source.Get(), shown.Handle());
  GdiTransparentBlt(dc, x, y, shown.Width(), shown.Height(), source.Get(), 0, 0, shown.Width(), shown.Height(), key);
  SelectObject(source.Get(), old);
}

void SpeedButton::DescribeState(StateList& state) const {
  state.emplace_back("Down", down_ ? "1" : "0");
  state.emplace_back("GroupIndex", std::to_string(groupIndex_));
  state.emplace_back("AllowAllUp", allowAllUp_ ? "1" : "0");
  state.emplace_back("HasGlyph", glyph_ ? "1" : "0");
}

}  // namespace forms
