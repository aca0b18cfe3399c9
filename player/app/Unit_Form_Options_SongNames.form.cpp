// Form description of the options window's page 5, "Nom des chansons".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kSongNamesPage[] = {
    {K::GroupBox, "GroupBox11", "", {0, 0, 376, 64}, "Si méta tag présent"},
    {K::Edit, "EditFormatNomTag", "GroupBox11", {8, 18, 360, 21}, ""},
    {K::LinkLabel, "LabelDefautFormatNomTag", "GroupBox11", {8, 42, 110, 17}, "< Par défaut >"},
    {K::LinkLabel, "LabelAideFormatNomTag", "GroupBox11", {126, 42, 90, 17}, "< Aide >"},
    {K::GroupBox, "GroupBox12", "", {0, 68, 376, 64}, "Si pas de méta tag (ou si l'option est désactivée)"},
    {K::Edit, "EditFormatNomSansTag", "GroupBox12", {8, 18, 360, 21}, ""},
    {K::LinkLabel, "LabelDefautFormatNomSansTag", "GroupBox12", {8, 42, 110, 17}, "< Par défaut >"},
    {K::LinkLabel, "LabelAideFormatNomSansTag", "GroupBox12", {126, 42, 90, 17}, "< Aide >"},
    {K::GroupBox, "GroupBox13", "", {0, 136, 376, 64}, "Si CD Audio (.cda)"},
    {K::Edit, "EditFormatNomCDA", "GroupBox13", {8, 18, 360, 21}, ""},
    {K::LinkLabel, "LabelDefautFormatNomCDA", "GroupBox13", {8, 42, 110, 17}, "< Par défaut >"},
    {K::LinkLabel, "LabelAideFormatNomCDA", "GroupBox13", {126, 42, 90, 17}, "< Aide >"},
    {K::GroupBox, "GroupBox14", "", {0, 204, 376, 100}, "Aide"},
    {K::ListBox, "ListBoxAideFormatNom", "GroupBox14", {8, 18, 360, 76}, ""},
    {K::CheckBox, "CheckLireMetaTags", "", {0, 312, 280, 17}, "Lire les meta tags"},
    {K::CheckBox, "CheckLireCDDB", "", {0, 332, 280, 17}, "Tenter de récupérer les infos CDDB sur internet"},
    {K::Button, "BtnValiderNomChansons", "", {296, 308, 80, 25}, "Appliquer"},
    {K::LinkLabel, "ImageFreeDB", "", {296, 336, 80, 17}, "< CDDB >"},
};

}  // namespace

void TFormOptions::BuildSongNamesPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kSongNamesPage);
  EditFormatNomTag = Find<forms::Edit>("EditFormatNomTag");
  EditFormatNomSansTag = Find<forms::Edit>("EditFormatNomSansTag");
  EditFormatNomCDA = Find<forms::Edit>("EditFormatNomCDA");
  LabelDefautFormatNomTag = Find<forms::LinkLabel>("LabelDefautFormatNomTag");
  LabelDefautFormatNomSansTag = Find<forms::LinkLabel>("LabelDefautFormatNomSansTag");
  LabelDefautFormatNomCDA = Find<forms::LinkLabel>("LabelDefautFormatNomCDA");
  LabelAideFormatNomTag = Find<forms::LinkLabel>("LabelAideFormatNomTag");
  LabelAideFormatNomSansTag = Find<forms::LinkLabel>("LabelAideFormatNomSansTag");
  LabelAideFormatNomCDA = Find<forms::LinkLabel>("LabelAideFormatNomCDA");
  ListBoxAideFormatNom = Find<forms::ListBox>("ListBoxAideFormatNom");
  CheckLireMetaTags = Find<forms::CheckBox>("CheckLireMetaTags");
  CheckLireCDDB = Find<forms::CheckBox>("CheckLireCDDB");
  BtnValiderNomChansons = Find<forms::Button>("BtnValiderNomChansons");

  for (forms::Edit* edit : {EditFormatNomTag, EditFormatNomSansTag, EditFormatNomCDA})
    edit->OnChange = Bind(this, &TFormOptions::EditFormatNomTagChange);
  for (forms::LinkLabel* label : {LabelDefautFormatNomTag, LabelDefautFormatNomSansTag, LabelDefautFormatNomCDA})
    label->OnClick = Bind(this, &TFormOptions::LabelDefautFormatNomClick);
  for (forms::LinkLabel* label : {LabelAideFormatNomTag, LabelAideFormatNomSansTag, LabelAideFormatNomCDA})
    label->OnClick = Bind(this, &TFormOptions::LabelDefautFormatNomTagClick);
  CheckLireMetaTags->OnClick = Bind(this, &TFormOptions::CheckAutresClick);
  CheckLireCDDB->OnClick = Bind(this, &TFormOptions::CheckAutresClick);
  BtnValiderNomChansons->OnClick = Bind(this, &TFormOptions::BtnValiderNomChansonsClick);
  Find<forms::LinkLabel>("ImageFreeDB")->OnClick = Bind(this, &TFormOptions::ImageFreeDBClick);
}

}  // namespace player
