// The options window's submission and messenger page.
#include "player/app/Unit_Form_Options.h"

namespace player {

void TFormOptions::FillSubmission(const SettingsFile&) {}

void TFormOptions::MessengerSwitchChanged(bool) {}

}  // namespace player
