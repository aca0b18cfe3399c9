#include "player/app/Unit_Form_InfoBulle.h"

namespace player {

TFormInfoBulle::TFormInfoBulle(forms::TComponent* owner) : TForm(owner, "TFormInfoBulle") {
  SetName("FormInfoBulle");
  SetBorderStyle(forms::BorderKind::None);
  SetStayOnTop(true);
  SetCaption("Sorivanel");
  SetBounds(0, 0, 250, 60);
}

// The bubble's skin and its sliding announcement come with the bubble's own
// window; until then the bubble keeps its caption and stays hidden.
void TFormInfoBulle::ChargeSkin() {}

void TFormInfoBulle::Affiche(const std::string&) {}

}  // namespace player
