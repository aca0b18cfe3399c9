// Form description of the options window's page 0, "Options".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kGeneralPage[] = {
    {K::RadioGroup, "RadioGroup1", "", {0, 0, 184, 62}, "Démarrer avec windows\nOui\nNon"},
    {K::RadioGroup, "RadioGroup2", "", {192, 0, 184, 62}, "Réglage du volume\nGlobal à windows\nSpécifique à Sorivanel"},
    {K::GroupBox, "GroupBox7", "", {0, 68, 376, 146}, "Autres"},
    {K::CheckBox, "CheckBallon", "GroupBox7", {10, 18, 358, 17}, "Afficher ballon"},
    {K::CheckBox, "CheckSousRep", "GroupBox7", {10, 35, 358, 17}, "Inclure sous-répertoires"},
    {K::CheckBox, "CheckShuffle", "GroupBox7", {10, 52, 358, 17}, "Lecture aléatoire"},
    {K::CheckBox, "CheckLectureBoucle", "GroupBox7", {10, 69, 358, 17}, "Lecture en boucle"},
    {K::CheckBox, "CheckNouvelleVersion", "GroupBox7", {10, 86, 358, 17}, "Vérification automatique nouvelle version"},
    {K::CheckBox, "CheckApparitionProgressive", "GroupBox7", {10, 103, 358, 17}, "Apparition progressive de la fenêtre"},
    {K::CheckBox, "CheckDemarrerLectureLancement", "GroupBox7", {10, 120, 358, 17},
     "Démarrer la lecture au lancement du programme"},
    {K::GroupBox, "GroupBox8", "", {0, 220, 184, 136}, "Langues"},
    {K::ListBox, "ListBoxLangues", "GroupBox8", {8, 18, 168, 110}, ""},
    {K::GroupBox, "GroupOutputDev", "", {192, 220, 184, 52}, "Périphérique de sortie"},
    {K::DropDownList, "ComboOutputDev", "GroupOutputDev", {8, 20, 168, 200}, ""},
};

}  // namespace

void TFormOptions::BuildGeneralPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kGeneralPage);
  RadioGroup1 = Find<forms::RadioGroup>("RadioGroup1");
  RadioGroup2 = Find<forms::RadioGroup>("RadioGroup2");
  CheckBallon = Find<forms::CheckBox>("CheckBallon");
  CheckSousRep = Find<forms::CheckBox>("CheckSousRep");
  CheckShuffle = Find<forms::CheckBox>("CheckShuffle");
  CheckLectureBoucle = Find<forms::CheckBox>("CheckLectureBoucle");
  CheckNouvelleVersion = Find<forms::CheckBox>("CheckNouvelleVersion");
  CheckApparitionProgressive = Find<forms::CheckBox>("CheckApparitionProgressive");
  CheckDemarrerLectureLancement = Find<forms::CheckBox>("CheckDemarrerLectureLancement");
  ListBoxLangues = Find<forms::ListBox>("ListBoxLangues");
  ComboOutputDev = Find<forms::ComboBox>("ComboOutputDev");

  RadioGroup2->OnClick = Bind(this, &TFormOptions::RadioGroup2Click);
  for (forms::CheckBox* box : {CheckBallon, CheckSousRep, CheckShuffle, CheckLectureBoucle, CheckNouvelleVersion,
                               CheckApparitionProgressive, CheckDemarrerLectureLancement})
    box->OnClick = Bind(this, &TFormOptions::CheckAutresClick);
  ListBoxLangues->OnChange = Bind(this, &TFormOptions::ListBoxLanguesClick);
  ComboOutputDev->OnChange = Bind(this, &TFormOptions::ComboOutputDevChange);
}

}  // namespace player
