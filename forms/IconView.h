#pragma once
// A windowless control that shows an icon at its own size in the control's
// top-left corner: the icon pictures of the options window.
#include "forms/Control.h"
#include "forms/IconImage.h"

namespace forms {

class IconView : public Control {
 public:
  IconView(TComponent* owner, WindowedControl* parent, Bounds bounds);

  IconImage& Picture() { return picture_; }
  const IconImage& Picture() const { return picture_; }

  void Paint(HDC dc) override;
  void DescribeState(StateList& state) const override;

 private:
  IconImage picture_;
};

}  // namespace forms
