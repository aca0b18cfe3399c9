#include "forms/Memo.h"

#include "forms/DialogFont.h"

namespace forms {

Memo::Memo(TComponent* owner, WindowedControl* parent, Bounds bounds, std::size_t maxCharacters)
    : WindowedControl(owner) {
  CreateSystemHandle(L"EDIT",
                     WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                         ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                     WS_EX_CLIENTEDGE, parent, bounds);
  UseDialogFont(Handle());
  // Without this the field stops at about 32,000 characters.
  SendMessageW(Handle(), EM_SETLIMITTEXT, maxCharacters, 0);
}

void Memo::SetText(const std::string& text) { SetCaption(text); }

void Memo::DescribeState(StateList& state) const { state.emplace_back("Text", Text()); }

}  // namespace forms
