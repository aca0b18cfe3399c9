// Form description of the options window's page 3, "Associations".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kAssociationsPage[] = {
    {K::GroupBox, "GroupBoxEXT", "", {0, 0, 376, 196}, "Extensions associées avec Sorivanel"},
    {K::CheckList, "ListEXT", "GroupBoxEXT", {8, 20, 360, 146}, ""},
    {K::LinkLabel, "LabelAssocTout", "GroupBoxEXT", {8, 172, 76, 17}, "< tous >"},
    {K::LinkLabel, "LabelAssocAucun", "GroupBoxEXT", {96, 172, 80, 17}, "< aucun>"},
    {K::GroupBox, "GroupBox10", "", {0, 202, 376, 64}, "Icône des fichiers associés à Sorivanel"},
    {K::Icon, "ImageIconeFichiers", "GroupBox10", {14, 22, 32, 32}, ""},
    {K::Button, "BtnChangerIconeFichiers", "GroupBox10", {62, 26, 110, 25}, "Changer"},
    {K::Button, "BtnIconeFichiersDefaut", "GroupBox10", {180, 26, 110, 25}, "Par défaut"},
    {K::RadioGroup, "RadioGroupCDAudio", "", {0, 272, 184, 62}, "Association avec les CD Audio\nOui\nNon"},
    {K::RadioGroup, "RadioGroupRepertoires", "", {192, 272, 184, 62}, "Association avec les répertoires\nOui\nNon"},
};

}  // namespace

void TFormOptions::BuildAssociationsPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kAssociationsPage);
  ListEXT = Find<forms::CheckList>("ListEXT");
  LabelAssocTout = Find<forms::LinkLabel>("LabelAssocTout");
  LabelAssocAucun = Find<forms::LinkLabel>("LabelAssocAucun");
  ImageIconeFichiers = Find<forms::IconView>("ImageIconeFichiers");
  BtnChangerIconeFichiers = Find<forms::Button>("BtnChangerIconeFichiers");
  BtnIconeFichiersDefaut = Find<forms::Button>("BtnIconeFichiersDefaut");
  RadioGroupCDAudio = Find<forms::RadioGroup>("RadioGroupCDAudio");
  RadioGroupRepertoires = Find<forms::RadioGroup>("RadioGroupRepertoires");

  // RadioGroup1 stands on page 0, built before this page.
  RadioGroup1->OnClick = Bind(this, &TFormOptions::RadioGroup1Click);
  ListEXT->OnClickCheck = Bind(this, &TFormOptions::ListEXTClickCheck);
  LabelAssocTout->OnClick = Bind(this, &TFormOptions::LabelAssocToutClick);
  LabelAssocAucun->OnClick = Bind(this, &TFormOptions::LabelAssocToutClick);
  BtnChangerIconeFichiers->OnClick = Bind(this, &TFormOptions::BtnChangerIconeFichiersClick);
  BtnIconeFichiersDefaut->OnClick = Bind(this, &TFormOptions::BtnChangerIconeFichiersClick);
  RadioGroupCDAudio->OnClick = Bind(this, &TFormOptions::RadioGroupCDAudioClick);
  RadioGroupRepertoires->OnClick = Bind(this, &TFormOptions::RadioGroupRepertoiresClick);
}

}  // namespace player
