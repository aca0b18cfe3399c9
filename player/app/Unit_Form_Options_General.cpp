// The options window's page 0: the volume mode, the option check boxes
// (whose shared handler also serves the check boxes of pages 2, 4, 5 and
// 7), the language list and the output device.
#include <algorithm>

#include "player/platform/FolderListing.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"
#include "player/app/Unit_Gestion_Langue.h"
#include "sono/include/sono.h"

namespace player {

namespace {

// Check boxes that only set a flag of the running player.
struct FlagBox {
  const char* Name;
  bool OptionFlags::*Flag;
};
constexpr FlagBox kFlagBoxes[] = {
    {"CheckBallon", &OptionFlags::ShowBalloon},
    {"CheckSousRep", &OptionFlags::IncludeSubFolders},
    {"CheckApparitionProgressive", &OptionFlags::FadeIn},
    {"CheckAnimerIcone", &OptionFlags::AnimateTrayIcon},
    {"CheckBoxAlbumCoverPreview", &OptionFlags::AlbumCoverPreview},
    {"CheckLireMetaTags", &OptionFlags::ReadMetaTags},
    {"CheckLireCDDB", &OptionFlags::ReadCddb},
};

// Check boxes written to the settings file at once.
struct SwitchBox {
  const char* Name;
  OptionSwitch Switch;
};
constexpr SwitchBox kSwitchBoxes[] = {
    {"CheckNouvelleVersion", OptionSwitch::CheckNewVersion},
    {"CheckDemarrerLectureLancement", OptionSwitch::PlayAtStartup},
    {"CheckStartupFolderUpdate", OptionSwitch::StartupFolderUpdate},
};

// A list of devices ends at the first number without a description; this
// many is more than any machine has.
constexpr int kMaxOutputDevices = 256;

}  // namespace

void TFormOptions::CheckAutresClick(forms::TComponent* Sender) {
  if (Tag == 0 || !Form1) return;
  auto* box = dynamic_cast<forms::CheckBox*>(Sender);
  if (!box) return;
  const bool on = box->Checked();
  TForm1& main = *Form1;
  for (const FlagBox& flag : kFlagBoxes)
    if (forms::SameName(box->Name(), flag.Name)) main.Flags.*flag.Flag = on;
  for (const SwitchBox& option : kSwitchBoxes)
    if (forms::SameName(box->Name(), option.Name)) SettingsFile(main.IniFileName).WriteSwitch(option.Switch, on);
  if (box == CheckShuffle) main.MenuShuffle->Checked = on;
  if (box == CheckLectureBoucle) main.MenuLectureBoucle->Checked = on;
  if (box == CheckNouvelleVersion && main.TimerCheckVersion) {
    main.TimerCheckVersion->Tag = 0;
    main.TimerCheckVersion->SetEnabled(on);
  }
  if (forms::SameName(box->Name(), "CheckBoxMSN")) MessengerSwitchChanged(on);
}

void TFormOptions::RadioGroup2Click(forms::TComponent*) {
  if (!Form1) return;
  const bool global = RadioGroup2->ItemIndex() == 0;
  Form1->Flags.GlobalVolume = global;
  SetGlobalVolume(Form1->Volume, global);
}

void TFormOptions::ListBoxLanguesClick(forms::TComponent*) {
  const int index = ListBoxLangues->ItemIndex();
  if (!Form1 || index < 0 || index >= static_cast<int>(LanguageFiles.size())) return;
  const std::string file = LanguageFiles[static_cast<std::size_t>(index)];
  Form1->Request(RequestKind::SettingsChange, [file] {
    if (!Form1) return;
    Form1->LangFileName = file;
    ChargeLangue(static_cast<int>(LangWindow::All));
  });
}

void TFormOptions::ComboOutputDevChange(forms::TComponent*) {
  if (!Form1) return;
  const int index = ComboOutputDev->ItemIndex();
  if (index < 0) return;
  SettingsFile(Form1->IniFileName).WriteSoundDevice(OutputDeviceOfItem(index));
  ShowNextStartNotice();
}

void TFormOptions::FillGeneralFromSettings(const SettingsFile& settings) {
  CheckNouvelleVersion->SetChecked(settings.ReadSwitch(OptionSwitch::CheckNewVersion));
  CheckDemarrerLectureLancement->SetChecked(settings.ReadSwitch(OptionSwitch::PlayAtStartup));
}

void TFormOptions::FillOutputDevices(const SettingsFile& settings) {
  ComboOutputDev->Clear();
  ComboOutputDev->Add("Default");
  for (int device = 1; device <= kMaxOutputDevices; ++device) {
    const char* description = SONO_GetDeviceDescription(device);
    if (!description) break;
    ComboOutputDev->Add(description);
  }
  ComboOutputDev->SetItemIndex(OutputDeviceItem(settings.ReadSoundDevice(), ComboOutputDev->Count()));
}

void TFormOptions::FillGeneralFromMemory() {
  if (!Form1) return;
  const OptionFlags& flags = Form1->Flags;
  CheckBoxAlbumCoverPreview->SetChecked(flags.AlbumCoverPreview);
  CheckAnimerIcone->SetChecked(flags.AnimateTrayIcon);
  CheckBallon->SetChecked(flags.ShowBalloon);
  CheckSousRep->SetChecked(flags.IncludeSubFolders);
  if (auto* box = dynamic_cast<forms::CheckBox*>(FindControl("CheckLireMetaTags"))) box->SetChecked(flags.ReadMetaTags);
  if (auto* box = dynamic_cast<forms::CheckBox*>(FindControl("CheckLireCDDB"))) box->SetChecked(flags.ReadCddb);
  CheckApparitionProgressive->SetChecked(flags.FadeIn);
  // Setting the choice also applies the volume again, as a click does.
  RadioGroup2->SetItemIndex(flags.GlobalVolume ? 0 : 1);
  RadioGroup2Click(RadioGroup2);
  CheckShuffle->SetChecked(Form1->MenuShuffle->Checked);
  CheckLectureBoucle->SetChecked(Form1->MenuLectureBoucle->Checked);
}

void TFormOptions::FillLanguages() {
  LanguageFiles.clear();
  ListBoxLangues->Clear();
  if (!Form1) return;
  const std::string folder = Form1->ExeFolder + "lang\\";
  for (const FolderEntry& entry : ListFolder(folder, "lang-*.ini")) {
    if (entry.IsFolder) continue;
    const std::string path = folder + entry.Name;
    LanguageFiles.push_back(path);
    ListBoxLangues->Add(LanguageFile(path).DisplayName());
    if (SameWindowsPath(path, Form1->LangFileName)) ListBoxLangues->SetItemIndex(ListBoxLangues->Count() - 1);
  }
}

}  // namespace player
