#include "forms/Control.h"

#include "forms/WindowedControl.h"

namespace forms {

Control::Control(TComponent* owner) : TComponent(owner) {}

Control::~Control() {
  if (parent_) parent_->RemoveControl(this);
}

void Control::SetParent(WindowedControl* parent) {
  if (parent == parent_) return;
  Invalidate();
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
  Invalidate();
}

void Control::SetBounds(int left, int top, int width, int height) {
  Invalidate();
  bounds_ = {left, top, width, height};
  Invalidate();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  // Shown or uncovered, the area needs painting either way.
  InvalidateArea();
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Invalidate();
}

void Control::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Invalidate();
}

void Control::Invalidate() {
  if (visible_) InvalidateArea();
}

void Control::InvalidateArea() {
  if (!parent_ || !parent_->Handle()) return;
  RECT area{bounds_.Left, bounds_.Top, bounds_.Left + bounds_.Width, bounds_.Top + bounds_.Height};
  InvalidateRect(parent_->Handle(), &area, TRUE);
}

void Control::MouseDown(MouseButton button, ShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void Control::MouseUp(MouseButton button, ShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void Control::MouseMove(ShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void Control::Click() {
  if (OnClick) OnClick(this);
}

}  // namespace forms
