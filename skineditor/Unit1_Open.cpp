// Opening a skin folder (argument, dropped files, Open dialog), creating
// one (New Skin) and the questions before a modified skin is left.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <filesystem>

#include "base/IniFile.h"
#include "base/TextFile.h"
#include "forms/Application.h"
#include "forms/Dialogs.h"
#include "forms/Wide.h"
#include "skineditor/Unit1.h"

namespace quorvane {

namespace {

constexpr char kModifiedOpen[] =
    "The current skin has been modified but not saved, are you sure you want to open another skin??";
constexpr char kModifiedNew[] =
    "The current skin has been modified but not saved, are you sure you want to create a new skin??";
constexpr char kModifiedQuit[] =
    "The current skin has been modified but not saved, are you sure you want to quit??";
constexpr char kSkinFilter[] = "skin file|skin.ini";

// The full path of a name given relative to the current folder or with
// forward slashes.
std::string FullPath(const std::string& path) {
  const std::wstring wide = forms::widen(path);
  const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return path;
  std::wstring full(needed, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  full.resize(length);
  return forms::narrow(full);
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(forms::widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ProgramFolder() {
  std::wstring name(32768, L'\0');
  name.resize(GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size())));
  const std::string path = forms::narrow(name);
  return path.substr(0, path.find_last_of('\\') + 1);
}

}  // namespace

void TForm1::FormCreate(const std::vector<std::string>& arguments) {
  Modified = false;
  if (!arguments.empty()) OpenSkin(arguments.front());
}

// The folder a path names: a folder itself, or the folder part of a file.
std::string TForm1::FolderOf(const std::string& path) {
  const std::string full = FullPath(path);
  if (IsFolder(full)) return full.back() == '\\' ? full : full + "\\";
  return full.substr(0, full.find_last_of('\\') + 1);
}

std::string TForm1::InitialFolder() const {
  const std::string skins = ProgramFolder() + "skin";
  return IsFolder(skins) ? skins : std::string();
}

void TForm1::OpenSkin(const std::string& Path) {
  if (Modified && !forms::Confirm(Handle(), kModifiedOpen)) return;
  std::string folder;
  if (!Path.empty()) {
    folder = FolderOf(Path);
  } else {
    const auto chosen = forms::ChooseFileToOpen(Handle(), {kSkinFilter, InitialFolder(), ""});
    if (!chosen) return;
    folder = FolderOf(*chosen);
  }
  LoadFolder(folder);
}

bool TForm1::LoadFolder(const std::string& folder) {
  if (!sv::FileExists(folder + "skin.ini")) {
    // The skin open so far stays the save target, with its values.
    forms::ShowError(Handle(), "The file \"skin.ini\" doesn't exist in selected folder :\n" + folder +
                                   "\nPlease copy an existing \"skin.ini\" file from another folder.");
    return false;
  }
  const sv::IniFile ini(folder + "skin.ini");
  if (ini.Unreadable()) {
    // Its values would read as the defaults, and a save would replace the
    // whole skin with them: the skin open so far stays, as for a missing file.
    forms::ShowError(Handle(), "The file \"" + folder + "skin.ini\" cannot be read.\nIt may be open in another "
                               "program without sharing; close it there and open the skin again.");
    return false;
  }
  Tag = 0;
  SkinFolder = folder;
  SetCaption(folder);
  pictures_.clear();
  reported_.clear();
  ShowDocument(sv::skin::ReadDocument(ini));
  playGlyph_ = nullptr;
  showsPause_ = false;
  Modified = false;
  EnableEditing();
  PageControl1->SetActivePageIndex(0);
  forms::Application->ProcessMessages();
  Tag = 1;
  if (ListBox2->ItemIndex() < 0 || !ListBox2->Selected(ListBox2->ItemIndex())) ListBox2->SetItemIndex(0);
  ListBox2Click(ListBox2);
  Affichage();
  return true;
}

void TForm1::EnableEditing() {
  for (forms::GroupBox* group : {GroupBoxMain, GroupBoxBalloon, GroupBoxBmp, GroupBoxBalloonFont, GroupBoxPositions})
    group->SetEnabled(true);
  MainMenu1->SetEnabled(kCommandSave, true);
  MainMenu1->SetEnabled(kCommandRefresh, true);
  PanelPreview->SetVisible(true);
  Panel1->SetVisible(true);
}

void TForm1::mnuNewSkinClick(forms::TComponent*) {
  // Asked once: the open below does not ask again.
  if (Modified && !forms::Confirm(Handle(), kModifiedNew)) return;
  const auto chosen = forms::ChooseFileToSave(Handle(), {kSkinFilter, InitialFolder(), "skin.ini"});
  if (!chosen) return;
  const std::string file = FullPath(*chosen);
  if (file.substr(file.find_last_of('\\') + 1) != "skin.ini") {
    forms::ShowError(Handle(), "You can only create a \"skin.ini\" file");
    return;
  }
  if (!sv::FileExists(file)) {
    try {
      sv::WriteFileAtomic(file, "");
    } catch (const sv::Exception& e) {
      forms::ShowError(Handle(), e.Message());
      return;
    }
  }
  LoadFolder(FolderOf(file));
}

void TForm1::FormCloseQuery(forms::TComponent*, bool& CanClose) {
  CanClose = !Modified || forms::Confirm(Handle(), kModifiedQuit);
}

void TForm1::WMDropFiles(HDROP drop) {
  std::vector<std::wstring> names;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    names.push_back(std::move(name));
  }
  DragFinish(drop);
  if (names.empty()) return;
  std::sort(names.begin(), names.end(),
            [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
  OpenSkin(forms::narrow(names.front()));
}

}  // namespace quorvane
