#pragma once
// A line of text with a window of its own, so that it knows when the
// pointer enters and leaves it: the options window's link labels, whose
// handlers underline and colour their font.
#include "forms/TextFont.h"
#include "forms/WindowedControl.h"

namespace forms {

class LinkLabel : public WindowedControl {
 public:
  LinkLabel(TComponent* owner, WindowedControl* parent, Bounds bounds);

  TextFont& Font() { return font_; }
  const TextFont& Font() const { return font_; }

  void SetCaption(std::string caption) override;
  void DescribeState(StateList& state) const override;

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  void HandleWindowMessage(WindowMessage& message) override;
  void PaintWindow(HDC dc) override;

 private:
  TextFont font_;
  bool inside_ = false;
};

}  // namespace forms
