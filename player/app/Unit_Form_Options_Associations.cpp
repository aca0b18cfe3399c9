// The options window's associations page and the start-with-Windows choice
// of page 0 (RadioGroup1): read from the registry when the window is shown,
// written only on the user's action.
#include "base/TextFile.h"
#include "forms/Wide.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"
#include "player/app/Unit_Gestion_Langue.h"
#include "player/platform/SystemRegistry.h"

namespace player {

namespace {

std::string ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return forms::narrow(path);
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

Associations TFormOptions::PlayerAssociations() {
  if (!registry_) registry_ = std::make_unique<SystemRegistry>();
  std::string icon;
  if (Form1) {
    icon = SettingsFile(Form1->IniFileName).ReadIconPath(IconKind::AssociatedFile);
    if (!sv::FileExists(icon)) icon.clear();
  }
  return Associations(*registry_, ProgramPath(), icon);
}

void TFormOptions::FillRegistry() { VerifierAssociations(); }

void TFormOptions::VerifierAssociations() {
  const AssociationState state = PlayerAssociations().Read(Form1 ? Form1->SupportedExtensions
                                                                 : std::vector<std::string>{});
  // Setting the controls runs none of their handlers: opening the window
  // writes nothing.
  RadioGroup1->SetItemIndex(state.StartWithWindows ? 0 : 1);
  ListEXT->Clear();
  for (std::size_t i = 0; i < state.Entries.size(); ++i) ListEXT->Add(state.Entries[i], state.Ticked[i]);
  RadioGroupCDAudio->SetItemIndex(state.CdVerb ? 0 : 1);
  RadioGroupRepertoires->SetItemIndex(state.FolderVerb ? 0 : 1);
}

void TFormOptions::RadioGroup1Click(forms::TComponent*) {
  PlayerAssociations().SetStartWithWindows(RadioGroup1->ItemIndex() == 0);
}

void TFormOptions::ListEXTClickCheck(forms::TComponent*, int Index) {
  if (Index < 0 || Index >= ListEXT->Count()) return;
  bool anyTicked = false;
  for (int i = 0; i < ListEXT->Count(); ++i) anyTicked = anyTicked || ListEXT->Checked(i);
  PlayerAssociations().SetAssociated(ListEXT->Text(Index), ListEXT->Checked(Index), anyTicked);
}

void TFormOptions::LabelAssocToutClick(forms::TComponent* Sender) {
  const bool target = Sender == LabelAssocTout;
  for (int i = 0; i < ListEXT->Count(); ++i) {
    if (ListEXT->Checked(i) == target) continue;
    ListEXT->SetItemIndex(i);
    ListEXT->SetChecked(i, target);
    ListEXTClickCheck(ListEXT, i);
  }
}

void TFormOptions::BtnChangerIconeFichiersClick(forms::TComponent* Sender) {
  if (!Form1) return;
  const SettingsFile settings(Form1->IniFileName);
  if (Sender == BtnIconeFichiersDefaut) {
    settings.WriteIconPath(IconKind::AssociatedFile, "");
  } else {
    const std::string chosen = ChooseIconFile();
    if (chosen.empty()) return;
    settings.WriteIconPath(IconKind::AssociatedFile, chosen);
  }
  Form1->Request(RequestKind::SettingsChange, [] {
    if (Form1) Form1->LoadSkin(true);
  });
  FillIcons(settings);
  PlayerAssociations().TypeSorivanelFile(true);
}

void TFormOptions::RadioGroupCDAudioClick(forms::TComponent*) {
  PlayerAssociations().SetCdVerb(RadioGroupCDAudio->ItemIndex() == 0);
}

void TFormOptions::RadioGroupRepertoiresClick(forms::TComponent*) {
  PlayerAssociations().SetFolderVerb(RadioGroupRepertoires->ItemIndex() == 0, LangMessage(12));
}

}  // namespace player
