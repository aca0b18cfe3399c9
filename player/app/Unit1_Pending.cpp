// Routines of the main window that belong to features with code of their
// own still to come (the tag editor).
// Until they come, each does nothing the user could see.
#include "player/app/Unit1.h"

namespace player {

// The tag editor opens from here with the selected entries once it exists.
void TForm1::MenuEditeurTagClick(forms::TComponent*) {}

}  // namespace player
