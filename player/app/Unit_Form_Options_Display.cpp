// The options window's page 4 apart from the fonts: the window and tray
// icon, the skin list and its links, and the info bubble's opacity.
#include <windows.h>

#include <commdlg.h>

#include "base/TextFile.h"
#include "forms/Wide.h"
#include "player/ShellOpen.h"
#include "player/VersionReply.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"
#include "player/app/Unit_Form_Options.h"
#include "player/platform/FolderListing.h"

namespace player {

namespace {

// Shows the icon file, or the window's own icon when it does not load.
void ShowIconFile(forms::IconView& view, const std::string& path, HICON own) {
  if (!path.empty() && sv::FileExists(path) && view.Picture().LoadFromFile(path)) return;
  view.Picture().TakeHandle(forms::CopyIconHandle(own));
}

// The filling flag is 0 for the scope's life, also when it ends in an error.
class FillingScope {
 public:
  explicit FillingScope(forms::TComponent& form) : form_(form) { form_.Tag = 0; }
  ~FillingScope() { form_.Tag = 1; }
  FillingScope(const FillingScope&) = delete;
  FillingScope& operator=(const FillingScope&) = delete;

 private:
  forms::TComponent& form_;
};

}  // namespace

std::string TFormOptions::ChooseIconFile() {
  std::wstring file(MAX_PATH, L'\0');
  const std::wstring folder = forms::widen(Form1 ? Form1->ExeFolder + "icones" : std::string());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = Handle();
  dialog.lpstrFilter = L"*.ico\0*.ico\0*.*\0*.*\0";
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = folder.c_str();
  dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return {};
  file.resize(wcslen(file.c_str()));
  return forms::narrow(file);
}

void TFormOptions::FillIcons(const SettingsFile& settings) {
  ShowIconFile(*ImageIconeBarreDesTaches, settings.ReadIconPath(IconKind::MainWindow), Icon());
  if (auto* files = dynamic_cast<forms::IconView*>(FindControl("ImageIconeFichiers")))
    ShowIconFile(*files, settings.ReadIconPath(IconKind::AssociatedFile), Icon());
  ImageSorivanel->Picture().TakeHandle(forms::CopyIconHandle(Icon()));
}

void TFormOptions::BtnChangerIconeClick(forms::TComponent* Sender) {
  if (!Form1) return;
  const SettingsFile settings(Form1->IniFileName);
  if (Sender == BtnIconeDefaut) {
    settings.WriteIconPath(IconKind::MainWindow, "");
  } else {
    const std::string chosen = ChooseIconFile();
    if (chosen.empty()) return;
    settings.WriteIconPath(IconKind::MainWindow, chosen);
  }
  Form1->Request(RequestKind::SettingsChange, [] {
    if (Form1) Form1->LoadSkin(true);
  });
  FillIcons(settings);
}

void TFormOptions::FillSkins() {
  SkinFolders.clear();
  ComboBoxSkins->Clear();
  if (!Form1) return;
  const std::string root = Form1->ExeFolder + "skin\\";
  for (const FolderEntry& entry : ListFolder(root, "*")) {
    if (!entry.IsFolder) continue;
    const std::string folder = root + entry.Name + "\\";
    if (!sv::FileExists(folder + "skin.ini")) continue;
    SkinFolders.push_back(folder);
    ComboBoxSkins->Add(sv::IniFile(folder + "skin.ini").ReadString("FOND", "SkinName", entry.Name));
    if (SameWindowsPath(folder, Form1->SkinFolder)) ComboBoxSkins->SetItemIndex(ComboBoxSkins->Count() - 1);
  }
}

void TFormOptions::ComboBoxSkinsChange(forms::TComponent*) {
  const int index = ComboBoxSkins->ItemIndex();
  if (!Form1 || index < 0 || index >= static_cast<int>(SkinFolders.size())) return;
  const std::string folder = SkinFolders[static_cast<std::size_t>(index)];
  Form1->Request(RequestKind::SettingsChange, [folder] {
    if (!Form1) return;
    Form1->SkinFolder = folder;
    Form1->LoadSkin(true);
    if (!FormOptions) return;
    const FillingScope filling(*FormOptions);
    FormOptions->FillFonts();
  });
}

void TFormOptions::LabelEditSkinsClick(forms::TComponent*) {
  if (!Form1) return;
  ShellOpen(Handle(), Form1->ExeFolder + "Quorvane.exe", "\"" + Form1->SkinFolder + "skin.ini\"");
}

void TFormOptions::LabelGetMoreSkinsClick(forms::TComponent*) {
  ShellOpen(Handle(), std::string(kDefaultMakerSite) + "/skins", "");
}

void TFormOptions::FillOpacity() {
  if (!FormInfoBulle) return;
  TrackTransparenceInfoBulle->SetPosition(OpacitySliderPosition(FormInfoBulle->Tag));
  // As a move of the slider: the opacity becomes what the position gives.
  TrackTransparenceInfoBulleChange(TrackTransparenceInfoBulle);
}

void TFormOptions::TrackTransparenceInfoBulleChange(forms::TComponent*) {
  const int position = TrackTransparenceInfoBulle->Position();
  if (FormInfoBulle) {
    const int opacity = OpacityOfSliderPosition(position);
    FormInfoBulle->Tag = opacity;
    FormInfoBulle->SetAlphaBlendValue(static_cast<std::uint8_t>(opacity));
    FormInfoBulle->SetAlphaBlend(opacity < 255);
  }
  LabelTransparency->SetCaption(std::to_string(position) + "%");
}

}  // namespace player
