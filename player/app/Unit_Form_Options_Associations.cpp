// The options window's associations page and the start-with-Windows choice
// of page 0 (RadioGroup1): read from the registry when the window is shown,
// written only on the user's action.
#include "player/app/Unit_Form_Options.h"

namespace player {

void TFormOptions::FillRegistry() {}

}  // namespace player
