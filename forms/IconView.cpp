#include "forms/IconView.h"

namespace forms {

IconView::IconView(TComponent* owner, WindowedControl* parent, Bounds bounds) : Control(owner) {
  bounds_ = bounds;
  picture_.OnChange = [this] { Invalidate(); };
  SetParent(parent);
}

void IconView::Paint(HDC dc) {
  if (!picture_.Empty()) DrawIconEx(dc, 0, 0, picture_.Handle(), Width(), Height(), 0, nullptr, DI_NORMAL);
}

void IconView::DescribeState(StateList& state) const { state.emplace_back("Empty", picture_.Empty() ? "1" : "0"); }

}  // namespace forms
