#include "forms/Splitter.h"

#include <algorithm>

namespace forms {

Splitter::Splitter(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  CreateHandle("SorivanelSplitter", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, parent ? parent->Handle() : nullptr,
               "", bounds);
  SetParent(parent);
  SetMessageHandler(WM_SETCURSOR, [](WindowMessage& message) {
    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
    message.Result = TRUE;
  });
  SetMessageHandler(WM_CAPTURECHANGED, [this](WindowMessage& message) {
    dragging_ = false;
    DefaultHandler(message);
  });
}

void Splitter::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  WindowedControl::MouseDown(button, shift, x, y);
  if (button != MouseButton::Left || !control_) return;
  startX_ = Left() + x;
  startWidth_ = control_->Width();
  SetCapture(Handle());
  dragging_ = true;
}

void Splitter::MouseMove(ShiftState shift, int x, int y) {
  WindowedControl::MouseMove(shift, x, y);
  if (!dragging_ || !control_ || !Parent()) return;
  const int room = Parent()->ClientWidth() - Width() - MinSize;
  const int width = std::max(MinSize, std::min(startWidth_ + Left() + x - startX_, room));
  if (width == control_->Width()) return;
  control_->SetWidth(width);
  if (OnMoving) OnMoving(this);
}

void Splitter::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  const bool moved = dragging_ && control_ && control_->Width() != startWidth_;
  if (dragging_) ReleaseCapture();
  dragging_ = false;
  WindowedControl::MouseUp(button, shift, x, y);
  if (moved && OnMoved) OnMoved(this);
}

}  // namespace forms
