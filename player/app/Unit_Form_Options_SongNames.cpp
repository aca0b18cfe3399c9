// The options window's song-name page: the three title templates with
// their defaults and help, and the apply button.
#include "player/app/Unit_Form_Options.h"

namespace player {

void TFormOptions::FillTemplates() {}

}  // namespace player
