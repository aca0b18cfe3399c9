// Form description of the options window's page 8, "A propos...".
#include <array>

#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {
// The version-check, home-page and licence links and the about text.
constexpr std::array<OptionsControl, 0> kAboutPage{};
}  // namespace

void TFormOptions::BuildAboutPage(forms::WindowedControl* page) { BuildControls(page, kAboutPage); }

}  // namespace player
