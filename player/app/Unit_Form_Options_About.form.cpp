// Form description of the options window's page 8, "A propos...".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kAboutPage[] = {
    {K::LinkLabel, "LabelWebVersion", "", {0, 0, 200, 17}, "< Nouvelle version ? >"},
    {K::LinkLabel, "LabelWeb", "", {0, 22, 200, 17}, "< www.sorivanel.invalid >"},
    {K::LinkLabel, "LabelLicense", "", {0, 44, 200, 17}, "< Afficher licence >"},
    {K::RichText, "RichEdit1", "", {0, 70, 376, 286}, ""},
};

}  // namespace

void TFormOptions::BuildAboutPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kAboutPage);
  RichEdit1 = Find<forms::RichText>("RichEdit1");
  Find<forms::LinkLabel>("LabelWebVersion")->OnClick = Bind(this, &TFormOptions::LabelWebVersionClick);
  Find<forms::LinkLabel>("LabelWeb")->OnClick = Bind(this, &TFormOptions::ImageSorivanelClick);
  Find<forms::LinkLabel>("LabelLicense")->OnClick = Bind(this, &TFormOptions::LabelLicenseClick);
}

}  // namespace player
