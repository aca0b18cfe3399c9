#include "forms/MainMenu.h"

#include "forms/Wide.h"

namespace forms {

MainMenu::MainMenu(TComponent* owner, TForm* form) : TComponent(owner), form_(form), bar_(CreateMenu()) {
  SetMenu(form_->Handle(), bar_);
  filter_ = ScopedMessageFilter(form_, [this](WindowMessage& message) {
    if (message.Msg != WM_COMMAND || message.LParam != 0 || HIWORD(message.WParam) > 1) return false;
    const UINT id = LOWORD(message.WParam);
    for (const MenuCommand& command : commands_) {
      if (command.Id != id) continue;
      Choose(id);
      message.Result = 0;
      return true;
    }
    return false;
  });
}

MainMenu::~MainMenu() {
  filter_.Reset();
  if (form_ && form_->Handle() && GetMenu(form_->Handle()) == bar_) SetMenu(form_->Handle(), nullptr);
  DestroyMenu(bar_);
}

int MainMenu::AddDropDown(const std::string& caption) {
  HMENU dropDown = CreatePopupMenu();
  AppendMenuW(bar_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(dropDown), widen(caption).c_str());
  dropDowns_.push_back(dropDown);
  DrawMenuBar(form_->Handle());
  return static_cast<int>(dropDowns_.size()) - 1;
}

std::string MainMenu::ShortcutText(std::uint16_t key, ShiftState shift) {
  if (key == 0) return {};
  std::string text;
  if (shift & kCtrlKey) text += "Ctrl+";
  if (shift & kAltKey) text += "Alt+";
  if (shift & kShiftKey) text += "Shift+";
  return text + static_cast<char>(key);
}

void MainMenu::AddCommand(int dropDown, MenuCommand command) {
  HMENU menu = dropDown < 0 ? bar_ : dropDowns_.at(static_cast<std::size_t>(dropDown));
  if (command.Caption == "-") {
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    return;
  }
  std::string caption = command.Caption;
  if (const std::string shortcut = ShortcutText(command.Key, command.Shift); !shortcut.empty())
    caption += "\t" + shortcut;
  AppendMenuW(menu, MF_STRING, command.Id, widen(caption).c_str());
  commands_.push_back(std::move(command));
  DrawMenuBar(form_->Handle());
}

void MainMenu::SetEnabled(UINT id, bool enabled) {
  EnableMenuItem(bar_, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  DrawMenuBar(form_->Handle());
}

bool MainMenu::Enabled(UINT id) const {
  const UINT state = GetMenuState(bar_, id, MF_BYCOMMAND);
  return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

bool MainMenu::HandleShortcut(std::uint16_t key, ShiftState shift) {
  const ShiftState keys = shift & (kCtrlKey | kAltKey | kShiftKey);
  for (const MenuCommand& command : commands_) {
    if (command.Key == 0 || command.Key != key || command.Shift != keys) continue;
    Choose(command.Id);
    return true;
  }
  return false;
}

void MainMenu::Choose(UINT id) {
  if (!Enabled(id)) return;
  for (const MenuCommand& command : commands_) {
    if (command.Id != id) continue;
    // A copy: the handler may change the menu.
    TNotifyEvent handler = command.OnClick;
    if (handler) handler(this);
    return;
  }
}

}  // namespace forms
