#include "forms/Edit.h"

#include "forms/DialogFont.h"

namespace forms {

Edit::Edit(TComponent* owner, WindowedControl* parent, Bounds bounds, bool password)
    : WindowedControl(owner), password_(password) {
  CreateSystemHandle(L"EDIT", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0),
                     WS_EX_CLIENTEDGE, parent, bounds);
  UseDialogFont(Handle());
}

void Edit::DescribeState(StateList& state) const {
  // A password field never tells its text.
  if (!password_) state.emplace_back("Text", Text());
}

bool Edit::ParentNotification(WindowMessage& message) {
  if (message.Msg != WM_COMMAND || HIWORD(message.WParam) != EN_CHANGE) return false;
  if (OnChange) OnChange(this);
  message.Result = 0;
  return true;
}

}  // namespace forms
