#include "forms/Label.h"

#include "forms/Wide.h"

namespace forms {

Label::Label(TComponent* owner, WindowedControl* parent, Bounds bounds) : Control(owner) {
  bounds_ = bounds;
  font_.OnChange = [this] { Invalidate(); };
  SetParent(parent);
}

void Label::Paint(HDC dc) {
  RECT area{0, 0, Width(), Height()};
  const std::wstring text = widen(caption_);
  HGDIOBJ old = SelectObject(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(font_.Color()));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_NOPREFIX | DT_SINGLELINE | DT_LEFT | DT_TOP);
  SelectObject(dc, old);
}

void Label::DescribeState(StateList& state) const {
  char colour[16];
  wsprintfA(colour, "%06X", static_cast<unsigned>(font_.Color()));
  state.emplace_back("FontColor", colour);
  state.emplace_back("FontName", font_.Name());
}

}  // namespace forms
