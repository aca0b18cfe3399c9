#pragma once
// The system's edit field: one line, plain or hiding what is typed, or
// several lines (Enter starts a new one), in a background and text colour
// of its own (the system's window colours at first). OnChange fires for
// every change of the text, typed or set from code; OnKeyDown sees each key
// first and may swallow it.
#include <string>

#include "forms/GdiObject.h"
#include "forms/WindowedControl.h"

namespace forms {

class Edit : public WindowedControl {
 public:
  Edit(TComponent* owner, WindowedControl* parent, Bounds bounds, bool password = false);
  struct MultiLine {};
  Edit(TComponent* owner, WindowedControl* parent, Bounds bounds, MultiLine);

  // The most characters the user can type; text set from code is not cut.
  void SetMaxLength(int characters);
  int MaxLength() const;

  std::string Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }

  ColourValue FontColor() const { return fontColor_; }
  void SetFontColor(ColourValue colour);
  void SetFocus();
  bool Focused() const;

  void DescribeState(StateList& state) const override;

  TNotifyEvent OnChange;
  KeyEvent OnKeyDown;

 protected:
  bool ParentNotification(WindowMessage& message) override;
  void HandleWindowMessage(WindowMessage& message) override;

 private:
  bool password_;
  bool multiLine_ = false;
  BrushHandle background_;
  ColourValue backgroundColour_ = kColourNone;
  ColourValue fontColor_ = 0x80000000u | COLOR_WINDOWTEXT;
};

}  // namespace forms
