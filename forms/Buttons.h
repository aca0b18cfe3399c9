#pragma once
// The system's buttons: push buttons and check boxes. OnClick fires when the
// user presses the button (mouse, keyboard or BM_CLICK); setting a check
// box's state from code fires nothing.
#include "forms/WindowedControl.h"

namespace forms {

class ButtonControl : public WindowedControl {
 public:
  void DescribeState(StateList& state) const override;

 protected:
  ButtonControl(TComponent* owner, WindowedControl* parent, Bounds bounds, DWORD style);
  bool ParentNotification(WindowMessage& message) override;
  // The system button sees its own presses: the click comes as BN_CLICKED,
  // never twice.
  void HandleWindowMessage(WindowMessage& message) override;
};

class Button : public ButtonControl {
 public:
  Button(TComponent* owner, WindowedControl* parent, Bounds bounds);

  // Enter anywhere in the window presses the default button, Escape the
  // cancel button, while the button is shown and enabled (forms/DialogKeys).
  bool Default() const { return default_; }
  // Drawn with the heavier frame that marks the default button.
  void SetDefault(bool isDefault);
  bool Cancel = false;

 private:
  bool default_ = false;
};

class CheckBox : public ButtonControl {
 public:
  CheckBox(TComponent* owner, WindowedControl* parent, Bounds bounds);

  bool Checked() const;
  void SetChecked(bool checked);
  void DescribeState(StateList& state) const override;
};

// One round button of a radio group; the group sets its state.
class RadioButton : public ButtonControl {
 public:
  RadioButton(TComponent* owner, WindowedControl* parent, Bounds bounds);

  bool Checked() const;
  void SetChecked(bool checked);
};

}  // namespace forms
