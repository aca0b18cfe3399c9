#pragma once
// Two small windowless controls of the editor: the colour swatch a click
// edits, and the skin background of a preview (its colour, and its bitmap
// cut in nine pieces as the player cuts it).
#include <memory>

#include "forms/Colours.h"
#include "forms/Control.h"
#include "forms/PixelBitmap.h"
#include "skin/SkinFormat.h"
#include "skin/platform/SkinPainting.h"

namespace quorvane {

class ColourSwatch : public forms::Control {
 public:
  ColourSwatch(forms::TComponent* owner, forms::WindowedControl* parent, forms::Bounds bounds);

  // The value as stored in the skin (a system colour keeps its code).
  sv::skin::ColourValue Colour() const { return colour_; }
  void SetColour(sv::skin::ColourValue colour);
  // What is painted for values no painter can show.
  sv::skin::ColourValue Fallback = 0;

  void Paint(HDC dc) override;
  void DescribeState(forms::StateList& state) const override;

 private:
  sv::skin::ColourValue colour_ = 0;
};

class SkinImage : public forms::Control {
 public:
  SkinImage(forms::TComponent* owner, forms::WindowedControl* parent, forms::Bounds bounds);

  void Show(forms::ColourValue colour, std::shared_ptr<forms::PixelBitmap> bitmap, int splitX, int splitY);

  void Paint(HDC dc) override;
  void DescribeState(forms::StateList& state) const override;

 private:
  forms::ColourValue colour_ = 0;
  std::shared_ptr<forms::PixelBitmap> bitmap_;
  int splitX_ = 0;
  int splitY_ = 0;
};

}  // namespace quorvane
