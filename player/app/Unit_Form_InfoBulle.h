#pragma once
// The info bubble: a topmost window titled like the product that announces
// each new song near the tray. Its caption is the text it shows; the main
// window sets it for every song and stream title.
#include <string>

#include "forms/Form.h"

namespace player {

class TFormInfoBulle : public forms::TForm {
 public:
  explicit TFormInfoBulle(forms::TComponent* owner);

  // Loads the bubble's skin from the current skin folder.
  void ChargeSkin();
  // Announces `text` (the tray hint: the product word, CR LF, the caption).
  void Affiche(const std::string& text);
};

}  // namespace player
