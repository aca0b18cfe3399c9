// The options window's about page.
#include "player/app/Unit_Form_Options.h"

namespace player {

void TFormOptions::SetAboutText(const std::vector<std::string>&) {}

}  // namespace player
