// Routines of the main window that belong to features with code of their
// own still to come (the folder tree, the open dialog and the messenger).
// Until they come, each does nothing the user could see.
#include "player/app/Unit1.h"

namespace player {

void SendMsnNowPlaying(const std::string&, const std::string&, const std::string&, int) {}

void TForm1::SpdBtnRepClick(forms::TComponent*) {}
void TForm1::MiseaJours(bool) {}
void TForm1::ExpandNodes(const std::string&) {}
void TForm1::SaveTreeCache() {}
void TForm1::MenuOuvrirFichierClick(forms::TComponent*) {}

}  // namespace player
