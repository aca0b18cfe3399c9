#include "forms/Panel.h"

namespace forms {

Panel::Panel(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  // Children are clipped out: the panel's background fill would otherwise
  // flash over the list it holds.
  CreateHandle("SorivanelPanel", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
               parent ? parent->Handle() : nullptr, "", bounds);
  SetParent(parent);
}

void Panel::Resized() {
  if (OnResize) OnResize(this);
}

}  // namespace forms
