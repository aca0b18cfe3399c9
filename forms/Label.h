#pragma once
// A line of text without a window, painted by its parent over the parent's
// background in its font and colour. Texts are data (song times, titles):
// an "&" shows as it is.
#include "forms/Control.h"
#include "forms/TextFont.h"

namespace forms {

class Label : public Control {
 public:
  Label(TComponent* owner, WindowedControl* parent, Bounds bounds);

  TextFont& Font() { return font_; }
  const TextFont& Font() const { return font_; }

  // Line breaks in the caption start new lines; off by default.
  bool MultiLine = false;
  // The caption's size in the label's font.
  SIZE TextSize() const;

  void Paint(HDC dc) override;
  void DescribeState(StateList& state) const override;

 private:
  TextFont font_;
};

}  // namespace forms
