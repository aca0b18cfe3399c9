// Form description of the options window's page 6, "Connexion".
#include <array>

#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {
// The proxy box: its check, address, port, user, password and the apply button.
constexpr std::array<OptionsControl, 0> kConnectionPage{};
}  // namespace

void TFormOptions::BuildConnectionPage(forms::WindowedControl* page) { BuildControls(page, kConnectionPage); }

}  // namespace player
