#include "forms/ComboBox.h"

#include <algorithm>
#include <utility>

#include "forms/DialogFont.h"
#include "forms/Wide.h"

namespace forms {

ComboBox::ComboBox(TComponent* owner, WindowedControl* parent, Bounds bounds, bool editable)
    : WindowedControl(owner), editable_(editable) {
  CreateSystemHandle(L"COMBOBOX",
                     WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL |
                         (editable ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST),
                     0, parent, bounds);
  UseDialogFont(Handle());
}

LRESULT ComboBox::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(Handle(), message, wParam, lParam);
}

int ComboBox::Count() const { return static_cast<int>(Send(CB_GETCOUNT)); }

void ComboBox::Add(const std::string& text) {
  const std::wstring wide = widen(text);
  Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
}

void ComboBox::Clear() { Send(CB_RESETCONTENT); }

std::string ComboBox::Item(int index) const {
  const auto length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length == CB_ERR || length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return narrow(text);
}

int ComboBox::IndexOf(const std::string& text) const {
  const std::wstring wide = widen(text);
  // The system's exact search ignores case but accepts a longer item.
  for (int from = -1;;) {
    const auto found = Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(from), reinterpret_cast<LPARAM>(wide.c_str()));
    if (found == CB_ERR || found <= from) return -1;
    if (Item(static_cast<int>(found)).size() == text.size()) return static_cast<int>(found);
    from = static_cast<int>(found);
  }
}

int ComboBox::ItemIndex() const { return static_cast<int>(Send(CB_GETCURSEL)); }

void ComboBox::SetItemIndex(int index) { Send(CB_SETCURSEL, static_cast<WPARAM>(index)); }

std::string ComboBox::Text() const { return WindowedControl::Caption(); }

void ComboBox::SetText(const std::string& text) {
  if (editable_) {
    SetEditText(text);
  } else {
    SetItemIndex(IndexOf(text));
  }
}

void ComboBox::SetEditText(const std::string& text) {
  const bool outer = std::exchange(quiet_, true);
  SetWindowTextW(Handle(), widen(text).c_str());
  quiet_ = outer;
}

void ComboBox::DescribeState(StateList& state) const {
  state.emplace_back("Text", Text());
  state.emplace_back("ItemIndex", std::to_string(ItemIndex()));
  state.emplace_back("Count", std::to_string(Count()));
  // Enough for a test to read the list, small enough for one reply.
  for (int i = 0; i < std::min(Count(), 200); ++i) state.emplace_back("Item" + std::to_string(i), Item(i));
}

bool ComboBox::ParentNotification(WindowMessage& message) {
  if (message.Msg != WM_COMMAND) return false;
  switch (HIWORD(message.WParam)) {
    case CBN_SELCHANGE:
      // The edit field takes the picked item only after this notification.
      if (editable_ && ItemIndex() >= 0) SetEditText(Item(ItemIndex()));
      break;
    case CBN_EDITCHANGE:
      if (quiet_) {
        message.Result = 0;
        return true;
      }
      break;
    default:
      return false;
  }
  if (OnChange) OnChange(this);
  message.Result = 0;
  return true;
}

}  // namespace forms
