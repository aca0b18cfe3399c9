#pragma once
// A visual component: bounds inside its parent, visibility, a caption and
// the mouse path. Controls without a window of their own (labels, images,
// speed buttons) are painted and hit-tested by their windowed parent, which
// calls Paint and the mouse methods below with coordinates in the control.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "forms/Component.h"
#include "forms/Events.h"

namespace forms {

class WindowedControl;

struct Bounds {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// Key/value pairs describing a control, read by the automation interface.
using StateList = std::vector<std::pair<std::string, std::string>>;

class Control : public TComponent {
 public:
  explicit Control(TComponent* owner);
  ~Control() override;

  WindowedControl* Parent() const { return parent_; }
  virtual void SetParent(WindowedControl* parent);

  // Relative to the parent's client area; a form's are screen coordinates.
  int Left() const { return bounds_.Left; }
  int Top() const { return bounds_.Top; }
  int Width() const { return bounds_.Width; }
  int Height() const { return bounds_.Height; }
  const Bounds& BoundsRect() const { return bounds_; }
  void SetLeft(int left) { SetBounds(left, bounds_.Top, bounds_.Width, bounds_.Height); }
  void SetTop(int top) { SetBounds(bounds_.Left, top, bounds_.Width, bounds_.Height); }
  void SetWidth(int width) { SetBounds(bounds_.Left, bounds_.Top, width, bounds_.Height); }
  void SetHeight(int height) { SetBounds(bounds_.Left, bounds_.Top, bounds_.Width, height); }
  virtual void SetBounds(int left, int top, int width, int height);

  virtual bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  virtual bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  virtual std::string Caption() const { return caption_; }
  virtual void SetCaption(std::string caption);

  // Null for a control without a window of its own.
  virtual HWND Handle() const { return nullptr; }
  bool Windowed() const { return Handle() != nullptr; }

  // Schedules a repaint of the control's area.
  virtual void Invalidate();

  // The tooltip text; the player also keeps small values of its own there
  // (a picture's path, a drag anchor).
  std::string Hint;

  // Appends what the automation interface reports beyond the common state.
  virtual void DescribeState(StateList& state) const {}

  TNotifyEvent OnClick;
  MouseEvent OnMouseDown;
  MouseEvent OnMouseUp;
  MouseMoveEvent OnMouseMove;

  // The mouse path; each fires its event. Click follows a left press and
  // release on the control.
  virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
  virtual void MouseMove(ShiftState shift, int x, int y);
  virtual void Click();

  // Called by the parent with the origin at the control's top-left corner
  // and the drawing clipped to its bounds.
  virtual void Paint(HDC dc) {}

 protected:
  Bounds bounds_;
  bool visible_ = true;
  bool enabled_ = true;
  std::string caption_;

 private:
  friend class WindowedControl;
  void InvalidateArea();
  WindowedControl* parent_ = nullptr;
};

}  // namespace forms
