#pragma once
// The switches of the player's command line and of a second instance's
// hand-over. The five fixed switches match only in exact letter case; any
// other text starting with "/" toggles the main window.
#include <optional>
#include <string>
#include <string_view>

namespace player {

enum class SwitchKind { None, Play, Next, Prev, Quit, Open, Skin, Toggle };

struct Switch {
  SwitchKind Kind = SwitchKind::None;
  std::string SkinName;  // for Skin: the argument less every "/skin:"
};

Switch ParseSwitch(std::string_view argument);

// A skin name names one folder inside "skin\": no separators, no drive, no
// "..". The empty name stands for "skin\" itself.
bool IsPlainSkinName(std::string_view name);

}  // namespace player
