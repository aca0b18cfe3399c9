#pragma once
// A thin bar right of a control aligned to its parent's left edge: dragging
// it with the left button makes that control wider or narrower. The owner
// lays the parent out again on each step (OnMoving) and keeps the new width
// when the drag ends (OnMoved).
#include "forms/WindowedControl.h"

namespace forms {

class Splitter : public WindowedControl {
 public:
  Splitter(TComponent* owner, WindowedControl* parent, Bounds bounds);

  // The control the bar resizes.
  Control* ResizedControl() const { return control_; }
  void SetResizedControl(Control* control) { control_ = control; }
  // The least width left to the control and to the parent's rest.
  int MinSize = 30;

  TNotifyEvent OnMoving;
  TNotifyEvent OnMoved;

  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseMove(ShiftState shift, int x, int y) override;
  void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;

 private:
  Control* control_ = nullptr;
  bool dragging_ = false;
  int startX_ = 0;      // the press, in the parent's client coordinates
  int startWidth_ = 0;  // the control's width then
};

}  // namespace forms
