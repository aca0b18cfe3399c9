#include "forms/HotKeyEdit.h"

#include <commctrl.h>

#include "forms/DialogFont.h"

namespace forms {

HotKeyEdit::HotKeyEdit(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&init);
  CreateSystemHandle(HOTKEY_CLASSW, WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, WS_EX_CLIENTEDGE, parent, bounds);
  UseDialogFont(Handle());
}

std::uint16_t HotKeyEdit::Value() const {
  return static_cast<std::uint16_t>(SendMessageW(Handle(), HKM_GETHOTKEY, 0, 0) & 0xFFFF);
}

void HotKeyEdit::SetValue(std::uint16_t value) { SendMessageW(Handle(), HKM_SETHOTKEY, value, 0); }

void HotKeyEdit::SetRules(std::uint16_t invalidCombinations, std::uint16_t replacementModifiers) {
  SendMessageW(Handle(), HKM_SETRULES, invalidCombinations, MAKELPARAM(replacementModifiers, 0));
}

void HotKeyEdit::DescribeState(StateList& state) const {
  state.emplace_back("Value", std::to_string(Value()));
  state.emplace_back("Enabled", Enabled() ? "1" : "0");
}

bool HotKeyEdit::ParentNotification(WindowMessage& message) {
  if (message.Msg != WM_COMMAND || HIWORD(message.WParam) != EN_CHANGE) return false;
  if (OnChange) OnChange(this);
  message.Result = 0;
  return true;
}

}  // namespace forms
