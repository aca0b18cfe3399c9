#include "forms/Edit.h"

#include <string>

#include "forms/DialogFont.h"

namespace forms {

Edit::Edit(TComponent* owner, WindowedControl* parent, Bounds bounds, bool password)
    : WindowedControl(owner), password_(password) {
  CreateSystemHandle(L"EDIT", WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | ES_AUTOHSCROLL | (password ? ES_PASSWORD : 0),
                     WS_EX_CLIENTEDGE, parent, bounds);
  UseDialogFont(Handle());
  SetColor(kColourWindow);
}

void Edit::SetFontColor(ColourValue colour) {
  if (colour == fontColor_) return;
  fontColor_ = colour;
  Invalidate();
}

void Edit::SetFocus() { ::SetFocus(Handle()); }

bool Edit::Focused() const { return GetFocus() == Handle(); }

Edit::Edit(TComponent* owner, WindowedControl* parent, Bounds bounds, MultiLine)
    : WindowedControl(owner), password_(false), multiLine_(true) {
  CreateSystemHandle(L"EDIT",
                     WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                         ES_WANTRETURN,
                     WS_EX_CLIENTEDGE, parent, bounds);
  UseDialogFont(Handle());
  SetColor(kColourWindow);
}

void Edit::SetMaxLength(int characters) {
  SendMessageW(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(characters < 0 ? 0 : characters), 0);
}

int Edit::MaxLength() const { return static_cast<int>(SendMessageW(Handle(), EM_GETLIMITTEXT, 0, 0)); }

void Edit::DescribeState(StateList& state) const {
  // A password field never tells its text.
  if (!password_) state.emplace_back("Text", Text());
  state.emplace_back("MaxLength", std::to_string(MaxLength()));
  state.emplace_back("Color", std::to_string(Color()));
  state.emplace_back("FontColor", std::to_string(fontColor_));
  state.emplace_back("Focused", Focused() ? "1" : "0");
}

void Edit::HandleWindowMessage(WindowMessage& message) {
  if ((message.Msg == WM_KEYDOWN || message.Msg == WM_SYSKEYDOWN) && OnKeyDown) {
    auto key = static_cast<std::uint16_t>(message.WParam);
    OnKeyDown(this, key, KeyboardShiftState());
    if (key == 0) {
      message.Result = 0;
      return;
    }
    message.WParam = key;
  } else if (message.Msg == WM_CHAR && message.WParam == VK_RETURN && !multiLine_) {
    // A single line has no use for Enter: no beep for it.
    message.Result = 0;
    return;
  }
  WindowedControl::HandleWindowMessage(message);
}

bool Edit::ParentNotification(WindowMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND:
      if (HIWORD(message.WParam) != EN_CHANGE) return false;
      if (OnChange) OnChange(this);
      message.Result = 0;
      return true;
    case WM_CTLCOLOREDIT: {
      if (Color() == kColourNone) return false;
      if (!background_ || backgroundColour_ != Color()) {
        background_.Reset(CreateSolidBrush(ToColorRef(Color())));
        backgroundColour_ = Color();
      }
      const auto dc = reinterpret_cast<HDC>(message.WParam);
      SetTextColor(dc, ToColorRef(fontColor_));
      SetBkColor(dc, ToColorRef(Color()));
      message.Result = reinterpret_cast<LRESULT>(background_.Get());
      return true;
    }
    default:
      return false;
  }
}

}  // namespace forms
