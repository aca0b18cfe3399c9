// The options window's connection page: the proxy.
#include "player/app/Unit_Form_Options.h"

namespace player {

void TFormOptions::FillProxy(const SettingsFile&) {}

}  // namespace player
