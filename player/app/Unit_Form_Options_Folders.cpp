// The options window's page 2: the base folders of the folder tree. Every
// add or remove saves the whole list and has the tree scan the folders
// again.
#include <windows.h>

#include <shlobj.h>

#include "base/Paths.h"
#include "forms/Wide.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"
#include "player/app/Unit_Gestion_Langue.h"

namespace player {

namespace {

// Frees the item list the browse dialog returns.
struct ItemList {
  LPITEMIDLIST items;
  ~ItemList() {
    if (items) CoTaskMemFree(items);
  }
};

// The folder the user picks, or nothing when the dialog is cancelled.
std::string BrowseForFolder(HWND owner, const std::string& prompt) {
  const std::wstring title = forms::widen(prompt);
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.lpszTitle = title.c_str();
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  const ItemList chosen{SHBrowseForFolderW(&browse)};
  if (!chosen.items) return {};
  std::wstring path(MAX_PATH, L'\0');
  if (!SHGetPathFromIDListW(chosen.items, path.data())) return {};
  path.resize(wcslen(path.c_str()));
  return forms::narrow(path);
}

}  // namespace

void TFormOptions::FillFolders(const SettingsFile& settings) {
  ListeRep->Clear();
  SetCurrentDirectoryW(forms::widen(sv::ExtractFilePath(settings.FileName())).c_str());
  for (const std::string& folder : settings.ReadBaseFolders()) ListeRep->Add(folder);
  CheckStartupFolderUpdate->SetChecked(settings.ReadSwitch(OptionSwitch::StartupFolderUpdate));
}

void TFormOptions::ButtonRepClick(forms::TComponent* Sender) {
  if (Sender == ButtonAjouterRep) {
    const std::string folder = BrowseForFolder(Handle(), GroupBox1->Caption());
    if (!folder.empty()) ListeRep->Add(sv::IncludeTrailingBackslash(folder));
  } else if (ListeRep->SelCount() > 0) {
    const int answer = MessageBoxW(Handle(), forms::widen(LangMessage(11)).c_str(), L"Sorivanel",
                                   MB_YESNO | MB_ICONQUESTION);
    if (answer != IDYES) return;
    for (int i = ListeRep->Count() - 1; i >= 0; --i)
      if (ListeRep->Selected(i)) ListeRep->Delete(i);
  }
  SaveBaseFolders();
}

void TFormOptions::SaveBaseFolders() {
  if (!Form1) return;
  std::vector<std::string> folders;
  for (int i = 0; i < ListeRep->Count(); ++i) folders.push_back(ListeRep->Item(i));
  SettingsFile(Form1->IniFileName).WriteBaseFolders(folders);
  Form1->MiseaJours(true);
}

}  // namespace player
