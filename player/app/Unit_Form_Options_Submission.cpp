// The options window's submission and messenger page: the messenger switch
// (at once), the submission account (at the next start) and the view of the
// submission log.
#include "net/core/ScrobblerLog.h"
#include "net/core/ScrobblerProto.h"
#include "player/OptionFiles.h"
#include "player/ShellOpen.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"

namespace player {

namespace {
// The service's page for the player's group of listeners.
constexpr char kListenersGroupPage[] = "/group/Sorivanel";
}  // namespace

void TFormOptions::FillSubmission(const SettingsFile& settings) {
  CheckBoxMSN->SetChecked(settings.ReadSwitch(OptionSwitch::MessengerNowPlaying));
  const ScrobblerSettings account = settings.ReadScrobbler();
  CheckBoxAudioScrobbler->SetChecked(account.Enabled);
  EditAudioScrobblerUser->SetText(account.User);
  EditAudioScrobblerPass->SetText(account.Password);
  BtnValiderAudioScrobbler->SetEnabled(false);
}

void TFormOptions::MessengerSwitchChanged(bool on) {
  if (!Form1) return;
  SettingsFile(Form1->IniFileName).WriteSwitch(OptionSwitch::MessengerNowPlaying, on);
  Form1->MsnNowPlaying = on;
  // The messenger forgets the song at once; ticking waits for the next one.
  if (!on) SendMsnNowPlaying("", "", "", 0);
}

void TFormOptions::CheckBoxAudioScrobblerClick(forms::TComponent*) {
  if (Tag == 0) return;
  BtnValiderAudioScrobbler->SetEnabled(true);
}

void TFormOptions::BtnValiderAudioScrobblerClick(forms::TComponent*) {
  if (!Form1) return;
  BtnValiderAudioScrobbler->SetEnabled(false);
  ScrobblerSettings account;
  account.Enabled = CheckBoxAudioScrobbler->Checked();
  account.User = EditAudioScrobblerUser->Text();
  account.Password = EditAudioScrobblerPass->Text();
  SettingsFile(Form1->IniFileName).WriteScrobblerAccount(account);
  ShowNextStartNotice();
}

void TFormOptions::LabelOpenAudioScrobblerLogClick(forms::TComponent*) {
  if (!Form1) return;
  // A missing log leaves the view as it is.
  if (const auto text = ReadLogView(Form1->ExeFolder + sv::net::kScrobblerLogName)) MemoAudioScrobbler->SetText(*text);
}

void TFormOptions::ImageLastFmClick(forms::TComponent*) {
  ShellOpen(Handle(), std::string(sv::net::kDefaultHandshakeAddress) + kListenersGroupPage, "");
}

}  // namespace player
