// Form description of the options window's page 6, "Connexion".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kConnectionPage[] = {
    {K::GroupBox, "GroupBoxProxy", "", {0, 0, 376, 196}, "Proxy"},
    {K::CheckBox, "CheckBoxProxy", "GroupBoxProxy", {12, 22, 352, 17}, "Passer par un proxy"},
    {K::Label, "LabelProxyAddress", "GroupBoxProxy", {12, 54, 124, 17}, "Addresse du proxy"},
    {K::Edit, "EditProxyAddress", "GroupBoxProxy", {140, 51, 224, 21}, ""},
    {K::Label, "LabelProxyPort", "GroupBoxProxy", {12, 82, 124, 17}, "Port"},
    {K::Edit, "EditProxyPort", "GroupBoxProxy", {140, 79, 70, 21}, ""},
    {K::Label, "LabelProxyUser", "GroupBoxProxy", {12, 110, 124, 17}, "User"},
    {K::Edit, "EditProxyUser", "GroupBoxProxy", {140, 107, 224, 21}, ""},
    {K::Label, "LabelProxyPass", "GroupBoxProxy", {12, 138, 124, 17}, "Mot de passe"},
    {K::PasswordEdit, "EditProxyPass", "GroupBoxProxy", {140, 135, 224, 21}, ""},
    {K::Button, "BtnValiderProxy", "GroupBoxProxy", {284, 164, 80, 25}, "Appliquer"},
};

}  // namespace

void TFormOptions::BuildConnectionPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kConnectionPage);
  CheckBoxProxy = Find<forms::CheckBox>("CheckBoxProxy");
  EditProxyAddress = Find<forms::Edit>("EditProxyAddress");
  EditProxyPort = Find<forms::Edit>("EditProxyPort");
  EditProxyUser = Find<forms::Edit>("EditProxyUser");
  EditProxyPass = Find<forms::Edit>("EditProxyPass");
  BtnValiderProxy = Find<forms::Button>("BtnValiderProxy");
  CheckBoxProxy->OnClick = Bind(this, &TFormOptions::CheckBoxProxyClick);
  for (forms::Edit* edit : {EditProxyAddress, EditProxyPort, EditProxyUser, EditProxyPass})
    edit->OnChange = Bind(this, &TFormOptions::CheckBoxProxyClick);
  BtnValiderProxy->OnClick = Bind(this, &TFormOptions::BtnValiderProxyClick);
}

}  // namespace player
