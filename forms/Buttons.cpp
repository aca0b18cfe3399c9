#include "forms/Buttons.h"

#include "forms/DialogFont.h"

namespace forms {

ButtonControl::ButtonControl(TComponent* owner, WindowedControl* parent, Bounds bounds, DWORD style)
    : WindowedControl(owner) {
  CreateSystemHandle(L"BUTTON", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | style, 0, parent, bounds);
  UseDialogFont(Handle());
}

bool ButtonControl::ParentNotification(WindowMessage& message) {
  if (message.Msg != WM_COMMAND || HIWORD(message.WParam) != BN_CLICKED) return false;
  Click();
  message.Result = 0;
  return true;
}

void ButtonControl::HandleWindowMessage(WindowMessage& message) {
  switch (message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
      DefaultHandler(message);
      return;
    default:
      WindowedControl::HandleWindowMessage(message);
  }
}

void ButtonControl::DescribeState(StateList& state) const { state.emplace_back("Caption", Caption()); }

Button::Button(TComponent* owner, WindowedControl* parent, Bounds bounds)
    : ButtonControl(owner, parent, bounds, BS_PUSHBUTTON) {}

void Button::SetDefault(bool isDefault) {
  default_ = isDefault;
  SendMessageW(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

CheckBox::CheckBox(TComponent* owner, WindowedControl* parent, Bounds bounds)
    : ButtonControl(owner, parent, bounds, BS_AUTOCHECKBOX) {}

bool CheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked) {
  SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::DescribeState(StateList& state) const {
  ButtonControl::DescribeState(state);
  state.emplace_back("Checked", Checked() ? "1" : "0");
}

RadioButton::RadioButton(TComponent* owner, WindowedControl* parent, Bounds bounds)
    : ButtonControl(owner, parent, bounds, BS_RADIOBUTTON) {}

bool RadioButton::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void RadioButton::SetChecked(bool checked) {
  SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace forms
