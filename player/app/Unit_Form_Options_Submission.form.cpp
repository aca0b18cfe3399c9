// Form description of the options window's page 7, "AudioScrobbler / MSN".
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {

using K = OptionsControlKind;

constexpr OptionsControl kSubmissionPage[] = {
    {K::GroupBox, "GroupBoxMSN", "", {0, 0, 376, 46}, "MSN \"Ce que j'écoute\""},
    {K::CheckBox, "CheckBoxMSN", "GroupBoxMSN", {12, 20, 352, 17}, "Activer MSN \"Ce que j'écoute\""},
    {K::GroupBox, "GroupBoxAudioScrobbler", "", {0, 52, 376, 128}, "AudioScrobbler \"post.sorivanel.invalid\""},
    {K::CheckBox, "CheckBoxAudioScrobbler", "GroupBoxAudioScrobbler", {12, 20, 352, 17},
     "Activer le AudioScrobbler \"post.sorivanel.invalid\""},
    {K::Label, "LabelAudioScrobblerUser", "GroupBoxAudioScrobbler", {12, 47, 124, 17}, "User"},
    {K::Edit, "EditAudioScrobblerUser", "GroupBoxAudioScrobbler", {140, 44, 224, 21}, ""},
    {K::Label, "LabelAudioScrobblerPass", "GroupBoxAudioScrobbler", {12, 75, 124, 17}, "Mot de passe"},
    {K::PasswordEdit, "EditAudioScrobblerPass", "GroupBoxAudioScrobbler", {140, 72, 224, 21}, ""},
    {K::Button, "BtnValiderAudioScrobbler", "GroupBoxAudioScrobbler", {284, 98, 80, 25}, "Appliquer"},
    {K::Memo, "MemoAudioScrobbler", "", {0, 186, 376, 146}, "No log file"},
    {K::LinkLabel, "LabelOpenAudioScrobblerLog", "", {0, 338, 140, 17}, "< Rafraîchir >"},
    {K::LinkLabel, "ImageLastFm", "", {236, 338, 140, 17}, "post.sorivanel.invalid"},
};

}  // namespace

void TFormOptions::BuildSubmissionPage(forms::WindowedControl* page) {
  using forms::Bind;
  BuildControls(page, kSubmissionPage);
  CheckBoxMSN = Find<forms::CheckBox>("CheckBoxMSN");
  CheckBoxAudioScrobbler = Find<forms::CheckBox>("CheckBoxAudioScrobbler");
  EditAudioScrobblerUser = Find<forms::Edit>("EditAudioScrobblerUser");
  EditAudioScrobblerPass = Find<forms::Edit>("EditAudioScrobblerPass");
  BtnValiderAudioScrobbler = Find<forms::Button>("BtnValiderAudioScrobbler");
  MemoAudioScrobbler = Find<forms::Memo>("MemoAudioScrobbler");
  LabelOpenAudioScrobblerLog = Find<forms::LinkLabel>("LabelOpenAudioScrobblerLog");

  CheckBoxMSN->OnClick = Bind(this, &TFormOptions::CheckAutresClick);
  CheckBoxAudioScrobbler->OnClick = Bind(this, &TFormOptions::CheckBoxAudioScrobblerClick);
  EditAudioScrobblerUser->OnChange = Bind(this, &TFormOptions::CheckBoxAudioScrobblerClick);
  EditAudioScrobblerPass->OnChange = Bind(this, &TFormOptions::CheckBoxAudioScrobblerClick);
  BtnValiderAudioScrobbler->OnClick = Bind(this, &TFormOptions::BtnValiderAudioScrobblerClick);
  LabelOpenAudioScrobblerLog->OnClick = Bind(this, &TFormOptions::LabelOpenAudioScrobblerLogClick);
  Find<forms::LinkLabel>("ImageLastFm")->OnClick = Bind(this, &TFormOptions::ImageLastFmClick);
}

}  // namespace player
