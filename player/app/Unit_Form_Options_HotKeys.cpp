// The options window's hot-key page: the eight hot keys shown, changed,
// stored and registered again.
#include "player/app/Unit_Form_Options.h"

namespace player {

void TFormOptions::FillHotKeys(const SettingsFile&) {}

}  // namespace player
