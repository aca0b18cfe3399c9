// The folder tree's commands: the clicks and keys on it, the folder menu
// with its song submenu, and what each menu command does with the folder.
#include <windows.h>

#include "base/Paths.h"
#include "forms/Application.h"
#include "forms/Wide.h"
#include "player/Extensions.h"
#include "player/app/FolderFiles.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"
#include "player/app/Unit_Form_Recherche.h"
#include "player/app/Unit_Langue_Apply.h"
#include "player/platform/FolderListing.h"
#include "player/ShellOpen.h"

namespace player {

namespace {

using forms::Bind;

constexpr std::size_t kMaxMenuSongs = 100;

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

void TForm1::CreateFolderMenu() {
  PopupMenuRep = forms::New<forms::ShortcutMenu>(this, "PopupMenuRep");
  PopupMenuRep->AutoPopup = false;
  PopupMenuRep->OnDrawItem = [this](forms::MenuEntry& item, HDC dc, const RECT& rect, bool selected) {
    PopupMenuRepDrawItem(item, dc, rect, selected);
  };
  const auto add = [this](forms::MenuEntry* parent, const char* name, const char* caption, auto handler) {
    forms::MenuEntry* item = parent ? parent->Add(caption, name) : PopupMenuRep->Add(caption, name);
    if (handler) item->OnClick = Bind(this, handler);
    return item;
  };
  using Handler = void (TForm1::*)(forms::TComponent*);
  constexpr Handler none = nullptr;
  MenuMettreSuite = add(nullptr, "MenuMettreSuite", "Mettre à la suite", none);
  MenuMettreSuiteRecurse =
      add(MenuMettreSuite, "MenuMettreSuiteRecurse", "Inclure les sous-répertoires", &TForm1::MenuMettreSuiteClick);
  MenuMettreSuiteDontRecurse = add(MenuMettreSuite, "MenuMettreSuiteDontRecurse", "Ne pas inclure les sous-répertoires",
                                   &TForm1::MenuMettreSuiteClick);
  MenuMettreSuite2 = add(nullptr, "MenuMettreSuite2", "Mettre à la suite", &TForm1::MenuMettreSuiteClick);
  MenuLireRep = add(nullptr, "MenuLireRep", "Lire le contenu", none);
  MenuLireRepRecurse = add(MenuLireRep, "MenuLireRepRecurse", "Inclure les sous-répertoires", &TForm1::MenuLireRepClick);
  MenuLireRepDontRecurse =
      add(MenuLireRep, "MenuLireRepDontRecurse", "Ne pas inclure les sous-répertoires", &TForm1::MenuLireRepClick);
  MenuLireRep2 = add(nullptr, "MenuLireRep2", "Lire le contenu", &TForm1::MenuLireRepClick);
  MenuChansons = add(nullptr, "MenuChansons", "Chansons", none);
  MenuExplorerRep = add(nullptr, "MenuExplorerRep", "Explorer le répertoire", &TForm1::MenuExplorerRepClick);
  MenuEditerPlayliste = add(nullptr, "MenuEditerPlayliste", "Editer la playliste", &TForm1::MenuExplorerRepClick);
  MenuChercherDansRep = add(nullptr, "MenuChercherDansRep", "Rechercher...", &TForm1::MenuChercherDansRepClick);
  MenuGererRep = add(nullptr, "MenuGererRep", "Gérer les répertoires", &TForm1::MenuGererRepClick);
  MenuRefreshRep = add(nullptr, "MenuRefreshRep", "Rafraîchir", &TForm1::MenuRefreshRepClick);

  TreeView1->OnMouseDown = Bind(this, &TForm1::TreeView1MouseDown);
  TreeView1->OnMouseMove = Bind(this, &TForm1::TreeView1MouseMove);
  SpdBtnRep->OnClick = Bind(this, &TForm1::SpdBtnRepClick);
  SpdBtnListe->OnClick = Bind(this, &TForm1::SpdBtnRepClick);
}

// Items in the tree's colours; the two items that leave sub-folders out are
// struck out.
void TForm1::PopupMenuRepDrawItem(forms::MenuEntry& Item, HDC Dc, const RECT& Rect, bool Selected) {
  const forms::BrushHandle background(CreateSolidBrush(forms::ToColorRef(TreeView1->Color())));
  FillRect(Dc, &Rect, background.Get());
  const auto highlight = static_cast<forms::ColourValue>(TreeView1->Tag);
  if (Selected) {
    const forms::BrushHandle frame(CreateSolidBrush(forms::ToColorRef(highlight)));
    FrameRect(Dc, &Rect, frame.Get());
  }
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, forms::ToColorRef(Selected ? highlight : TreeView1->FontColor()));
  LOGFONTW look{};
  GetObjectW(TreeView1->Font() ? TreeView1->Font() : GetCurrentObject(Dc, OBJ_FONT), sizeof(look), &look);
  look.lfStrikeOut = &Item == MenuLireRepDontRecurse || &Item == MenuMettreSuiteDontRecurse;
  const forms::FontHandle font(CreateFontIndirectW(&look));
  const HGDIOBJ previous = SelectObject(Dc, font.Get());
  const std::wstring caption = forms::widen(Item.Caption);
  TextOutW(Dc, Rect.left + 4, Rect.top + 2, caption.c_str(), static_cast<int>(caption.size()));
  SelectObject(Dc, previous);
}

std::string TForm1::MenuFolder() const { return MenuLireRep->Hint; }

void TForm1::TreeView1MouseDown(forms::TComponent*, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y) {
  const forms::TreeNode node = TreeView1->NodeAt(X, Y);
  if (!node) {
    if (Button == forms::MouseButton::Right) {
      for (forms::MenuEntry* item : PopupMenuRep->Items())
        item->Visible = item == MenuGererRep || item == MenuRefreshRep;
      ShowFolderMenu();
    }
    return;
  }
  MenuLireRep->Hint = ReconstruitRep(node);
  TreeView1->Select(node);
  if (Button == forms::MouseButton::Left) {
    if (Shift & forms::kShiftKey)
      MenuMettreSuiteClick(nullptr);
    else
      MenuLireRepClick(nullptr);
  } else if (Button == forms::MouseButton::Middle) {
    MenuMettreSuiteClick(nullptr);
  } else if (Button == forms::MouseButton::Right) {
    BuildSongMenu();
    ShowFolderMenu();
  }
}

void TForm1::ShowFolderMenu() {
  POINT at{};
  GetCursorPos(&at);
  PopupMenuRep->Popup(at.x, at.y, Handle());
}

void TForm1::BuildSongMenu() {
  MenuChansons->Clear();
  const std::string folder = MenuFolder();
  bool hasSubFolder = false;
  std::vector<std::string> songs;
  for (const FolderEntry& entry : ListFolder(folder, "*.*")) {
    if (entry.IsFolder) {
      hasSubFolder = true;
    } else if (IsSupportedFile(entry.Name, SupportedExtensions)) {
      songs.push_back(sv::IncludeTrailingBackslash(folder) + entry.Name);
      if (songs.size() >= kMaxMenuSongs) break;
    }
  }
  SortPathsIgnoringCase(songs);
  for (const std::string& song : songs) {
    std::string caption = sv::ExtractFileName(song);
    caption.resize(caption.size() - sv::ExtractFileExt(caption).size());
    forms::MenuEntry* item = MenuChansons->Add(caption);
    item->Hint = song;
    item->OnClick = Bind(this, &TForm1::MenuChansonsClick);
  }
  const bool playlist = IsPlaylistFile(folder);
  MenuMettreSuite->Visible = hasSubFolder;
  MenuMettreSuite2->Visible = !hasSubFolder && !playlist;
  MenuLireRep->Visible = hasSubFolder;
  MenuLireRep2->Visible = !hasSubFolder;
  MenuChansons->Visible = !songs.empty();
  MenuExplorerRep->Visible = !playlist;
  MenuEditerPlayliste->Visible = playlist;
  MenuChercherDansRep->Visible = !playlist;
  MenuGererRep->Visible = true;
  MenuRefreshRep->Visible = true;
}

bool TForm1::RecurseFor(forms::TComponent* Sender) const {
  if (Sender == MenuLireRepRecurse || Sender == MenuMettreSuiteRecurse) return true;
  if (Sender) return false;
  return Flags.IncludeSubFolders;
}

void TForm1::MenuLireRepClick(forms::TComponent* Sender) {
  const std::string folder = MenuFolder();
  if (folder.empty()) return;
  const bool recurse = RecurseFor(Sender);
  Request(RequestKind::TreeCommand, [this, folder, recurse] {
    ClearEntries();
    DesactiveFichier(true);
    AjouteRepLecture(WithoutTrailingBackslash(folder), recurse, true);
  });
}

void TForm1::MenuMettreSuiteClick(forms::TComponent* Sender) {
  const std::string folder = MenuFolder();
  if (folder.empty()) return;
  const bool recurse = RecurseFor(Sender);
  Request(RequestKind::TreeCommand, [this, folder, recurse] {
    AjouteRepLecture(WithoutTrailingBackslash(folder), recurse, CurrentIndex == -1);
  });
}

void TForm1::MenuChansonsClick(forms::TComponent* Sender) {
  const auto* item = dynamic_cast<forms::MenuEntry*>(Sender);
  if (!item) return;
  const std::string song = item->Hint;
  if (Keys->ShiftDown()) {
    Request(RequestKind::TreeCommand, [this, song] {
      const std::string text = DisplayTitle(song);
      AppendEntry(song, text);
    });
  } else {
    Request(RequestKind::TreeCommand, [this, song] { TreatArgument(song, true); });
  }
}

void TForm1::MenuExplorerRepClick(forms::TComponent*) {
  const std::string folder = MenuFolder();
  if (folder.empty()) return;
  if (IsPlaylistFile(folder))
    ShellOpen(Handle(), "notepad.exe", "\"" + WithoutTrailingBackslash(folder) + "\"");
  else
    ShellOpen(Handle(), folder, "");
}

void TForm1::MenuChercherDansRepClick(forms::TComponent*) {
  const std::string folder = MenuFolder();
  if (folder.empty()) return;
  if (!FormRecherche) {
    forms::Application->CreateForm<TFormRecherche>();
    FormRecherche->SupportedExtensions = SupportedExtensions;
    FormRecherche->OnSearchStart = [this] { ListBox1->ClearSelection(); };
    FormRecherche->OnFound = [this](const std::string& path) {
      // Never between the entries of an import: then it waits for its end.
      Request(RequestKind::SearchResult, [this, path] {
        const std::string text = DisplayTitle(path);
        AppendEntry(path, text);
        ListBox1->SetSelected(ListBox1->Count() - 1, true);
      });
    };
  }
  FormRecherche->RepertoireDeRecherche->SetText(folder);
  FormRecherche->Show();
}

// The options window on its base-folder page.
void TForm1::MenuGererRepClick(forms::TComponent*) {
  OpenOptionsWindow();
  if (!FormOptions) return;
  FormOptions->ListBoxPages->SetItemIndex(static_cast<int>(OptionsPage::Folders));
  FormOptions->ListBoxPagesClick(FormOptions->ListBoxPages);
}

void TForm1::MenuRefreshRepClick(forms::TComponent*) { MiseaJours(true); }

// Keys on the tree: Space and Enter play the selected node's folder (with
// Shift append it), Ctrl+F searches in it.
bool TForm1::TreeKeyDown(std::uint16_t Key, forms::ShiftState Shift) {
  if (GetFocus() != TreeView1->Handle()) return false;
  const forms::TreeNode node = TreeView1->Selected();
  if (Key == VK_SPACE || Key == VK_RETURN) {
    if (!node) return true;
    MenuLireRep->Hint = ReconstruitRep(node);
    if (Shift & forms::kShiftKey)
      MenuMettreSuiteClick(nullptr);
    else
      MenuLireRepClick(nullptr);
    return true;
  }
  if (Key == 'F' && (Shift & forms::kCtrlKey)) {
    if (node) {
      MenuLireRep->Hint = ReconstruitRep(node);
      MenuChercherDansRepClick(nullptr);
    }
    return true;
  }
  return false;
}

bool TForm1::OptionsOrTagEditorOpen() const {
  return FormOptions || OpenLanguageForm(LangWindow::TagEditor);
}

}  // namespace player
