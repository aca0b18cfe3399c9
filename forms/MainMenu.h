#pragma once
// A form's menu bar: top-level items, each either a command or a drop-down
// of commands, with their shortcut keys. Commands keep stable identifiers,
// so a test may post WM_COMMAND with them.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "forms/Events.h"
#include "forms/Form.h"
#include "forms/MessageFilter.h"

namespace forms {

class MainMenu;

struct MenuCommand {
  UINT Id = 0;
  std::string Caption;
  std::uint16_t Key = 0;  // shortcut key, 0 for none
  ShiftState Shift = 0;   // kCtrlKey, kAltKey
  TNotifyEvent OnClick;
};

class MainMenu : public TComponent {
 public:
  // Installs itself as the form's menu bar.
  MainMenu(TComponent* owner, TForm* form);
  ~MainMenu() override;

  // A drop-down of the bar; returns its index.
  int AddDropDown(const std::string& caption);
  // A command in that drop-down, or on the bar itself when dropDown is -1.
  // Caption "-" is a separator.
  void AddCommand(int dropDown, MenuCommand command);
  void SetEnabled(UINT id, bool enabled);
  bool Enabled(UINT id) const;

  // Runs the command whose shortcut this is; true when there was one.
  bool HandleShortcut(std::uint16_t key, ShiftState shift);
  // Runs a command as if chosen.
  void Choose(UINT id);

 private:
  static std::string ShortcutText(std::uint16_t key, ShiftState shift);

  TForm* form_;
  HMENU bar_;
  std::vector<HMENU> dropDowns_;
  std::vector<MenuCommand> commands_;
  ScopedMessageFilter filter_;
};

}  // namespace forms
