// Form description of the options window's page 2, "Répertoires".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kFoldersPage[] = {
    {K::GroupBox, "GroupBox1", "", {0, 0, 376, 316}, "Répertoire de base"},
    {K::MultiListBox, "ListeRep", "GroupBox1", {8, 18, 360, 258}, ""},
    {K::Button, "ButtonAjouterRep", "GroupBox1", {8, 284, 96, 24}, "Ajouter"},
    {K::Button, "ButtonSupprRep", "GroupBox1", {112, 284, 96, 24}, "Supprimer"},
    {K::CheckBox, "CheckStartupFolderUpdate", "", {0, 324, 376, 17},
     "Mettre à jours la liste des répertoires au démarrage"},
};

}  // namespace

void TFormOptions::BuildFoldersPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kFoldersPage);
  GroupBox1 = Find<forms::GroupBox>("GroupBox1");
  ListeRep = Find<forms::ListBox>("ListeRep");
  ButtonAjouterRep = Find<forms::Button>("ButtonAjouterRep");
  ButtonSupprRep = Find<forms::Button>("ButtonSupprRep");
  CheckStartupFolderUpdate = Find<forms::CheckBox>("CheckStartupFolderUpdate");
  ButtonAjouterRep->OnClick = Bind(this, &TFormOptions::ButtonRepClick);
  ButtonSupprRep->OnClick = Bind(this, &TFormOptions::ButtonRepClick);
  CheckStartupFolderUpdate->OnClick = Bind(this, &TFormOptions::CheckAutresClick);
}

}  // namespace player
