// Form description of the options window's page 1, "Raccourcis clavier".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kHotKeysPage[] = {
    {K::GroupBox, "GroupBox6", "", {0, 0, 376, 282}, "Raccourcis clavier"},
    {K::CheckBox, "CheckBox1", "GroupBox6", {12, 24, 170, 17}, "Lecture/Pause"},
    {K::HotKey, "HotKeyPlay", "GroupBox6", {190, 22, 174, 22}, ""},
    {K::CheckBox, "CheckBox2", "GroupBox6", {12, 56, 170, 17}, "Précédente"},
    {K::HotKey, "HotKeyPrev", "GroupBox6", {190, 54, 174, 22}, ""},
    {K::CheckBox, "CheckBox3", "GroupBox6", {12, 88, 170, 17}, "Suivante"},
    {K::HotKey, "HotKeyNext", "GroupBox6", {190, 86, 174, 22}, ""},
    {K::CheckBox, "CheckBox4", "GroupBox6", {12, 120, 170, 17}, "Volume +"},
    {K::HotKey, "HotKeyVolUp", "GroupBox6", {190, 118, 174, 22}, ""},
    {K::CheckBox, "CheckBox5", "GroupBox6", {12, 152, 170, 17}, "Volume -"},
    {K::HotKey, "HotKeyVolDwn", "GroupBox6", {190, 150, 174, 22}, ""},
    {K::CheckBox, "CheckBox6", "GroupBox6", {12, 184, 170, 17}, "Afficher/Cacher"},
    {K::HotKey, "HotKeyShowHide", "GroupBox6", {190, 182, 174, 22}, ""},
    {K::CheckBox, "CheckBox7", "GroupBox6", {12, 216, 170, 17}, "Avancer rapidement"},
    {K::HotKey, "HotKeyAvancerRapide", "GroupBox6", {190, 214, 174, 22}, ""},
    {K::CheckBox, "CheckBox8", "GroupBox6", {12, 248, 170, 17}, "Reculer rapidement"},
    {K::HotKey, "HotKeyReculerRapide", "GroupBox6", {190, 246, 174, 22}, ""},
    {K::Button, "BtnSetHotKey", "", {296, 292, 80, 25}, "Appliquer"},
};

// In the order of the settings table (play, previous, next, volume up and
// down, show/hide, fast forward, fast backward).
constexpr const char* kCheckNames[] = {"CheckBox1", "CheckBox2", "CheckBox3", "CheckBox4",
                                       "CheckBox5", "CheckBox6", "CheckBox7", "CheckBox8"};
constexpr const char* kFieldNames[] = {"HotKeyPlay",     "HotKeyPrev",          "HotKeyNext",
                                       "HotKeyVolUp",    "HotKeyVolDwn",        "HotKeyShowHide",
                                       "HotKeyAvancerRapide", "HotKeyReculerRapide"};
static_assert(std::size(kCheckNames) == ini::kHotKeyActions && std::size(kFieldNames) == ini::kHotKeyActions);

}  // namespace

void TFormOptions::BuildHotKeysPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kHotKeysPage);
  for (int i = 0; i < ini::kHotKeyActions; ++i) {
    const auto n = static_cast<std::size_t>(i);
    HotKeyChecks[n] = Find<forms::CheckBox>(kCheckNames[n]);
    HotKeyFields[n] = Find<forms::HotKeyEdit>(kFieldNames[n]);
    HotKeyChecks[n]->OnClick = Bind(this, &TFormOptions::CheckHotKeyClick);
    HotKeyFields[n]->OnChange = Bind(this, &TFormOptions::CheckHotKeyClick);
  }
  BtnSetHotKey = Find<forms::Button>("BtnSetHotKey");
  BtnSetHotKey->OnClick = Bind(this, &TFormOptions::BtnSetHotKeyClick);
  // Enter in a field of the page applies the keys, once there is a change.
  BtnSetHotKey->SetDefault(true);
  BtnSetHotKey->SetEnabled(false);
}

}  // namespace player
