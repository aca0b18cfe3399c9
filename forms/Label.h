#pragma once
// A line of text without a window, painted by its parent over the parent's
// background in its font and colour. Texts are data (song times, titles):
// an "&" shows as it is.
#include <functional>
#include <string_view>

#include "forms/Control.h"
#include "forms/TextFont.h"

namespace forms {

// The size a text takes when drawn with DrawText's `flags` in the font
// selected into `dc` (wrapped within `wrapWidth` with DT_WORDBREAK): its
// measured extent, or as far as its glyphs really reach when drawn, since
// a synthesised bold face may paint past the extent it reports.
SIZE DrawnTextSize(HDC dc, std::wstring_view text, UINT flags, int wrapWidth = 0);

class Label : public Control {
 public:
  Label(TComponent* owner, WindowedControl* parent, Bounds bounds);

  TextFont& Font() { return font_; }
  const TextFont& Font() const { return font_; }

  // Line breaks in the caption start new lines; off by default.
  bool MultiLine = false;
  // The caption's size in the label's font.
  SIZE TextSize() const;
  // Runs `measure` on a device context like the one the label is painted
  // in (its window's, or its buffer's when the window is double-buffered),
  // with the label's font selected: text measured there takes the room it
  // takes when painted.
  void MeasureWith(const std::function<void(HDC)>& measure) const;

  void Paint(HDC dc) override;
  void DescribeState(StateList& state) const override;

 private:
  TextFont font_;
};

}  // namespace forms
