// The playlist's context menu and its commands: play, select all, remove,
// refresh; and the guards of long list operations and imports.
#include <algorithm>

#include "base/Paths.h"
#include "forms/Application.h"
#include "forms/Wide.h"
#include "player/PlaylistCommands.h"
#include "player/PlaylistFiles.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Langue_Apply.h"

namespace player {

namespace {

using forms::Bind;

// Above this many entries the list is hidden while its selection or
// entries change, so that it is not repainted once per entry.
constexpr int kHiddenChangeCount = 50;

// Hides a window for a scope when asked to, and shows it again.
class HiddenWhile {
 public:
  HiddenWhile(forms::Control& control, bool hide) : control_(control), hidden_(hide && control.Visible()) {
    if (hidden_) control_.SetVisible(false);
  }
  ~HiddenWhile() {
    if (hidden_) control_.SetVisible(true);
  }
  HiddenWhile(const HiddenWhile&) = delete;
  HiddenWhile& operator=(const HiddenWhile&) = delete;

 private:
  forms::Control& control_;
  bool hidden_;
};

}  // namespace

TForm1::Work::Work(TForm1& form, WorkKind kind, std::function<void()> onEnd)
    : form_(form),
      scope_(form.Gate, kind, std::move(onEnd)),
      // The list operations show the hourglass; a song change, a dialog or
      // a check that the user did not start must not.
      cursor_(kind == WorkKind::Import || kind == WorkKind::TreeScan ? SetCursor(LoadCursorW(nullptr, IDC_WAIT))
                                                                     : nullptr) {}

TForm1::Work::~Work() {
  if (cursor_) SetCursor(cursor_);
  // A close let through meanwhile comes once this has unwound.
  form_.ResumeAdmittedClose();
}

TForm1::ListImport::ListImport(TForm1& form, std::vector<PlaylistEntry> entries)
    : form_(form), work_(form, WorkKind::Import), entries_(std::move(entries)) {
  form_.RunningImport = this;
  SendMessageW(form_.ListBox1->Handle(), WM_SETREDRAW, FALSE, 0);
}

TForm1::ListImport::~ListImport() {
  form_.RunningImport = nullptr;
  SendMessageW(form_.ListBox1->Handle(), WM_SETREDRAW, TRUE, 0);
  RedrawWindow(form_.ListBox1->Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

void TForm1::ListImport::Run(const std::function<void()>& afterEach) {
  // Messages run now and then, not after every entry: a title costs little
  // next to a turn of the message loop.
  constexpr ULONGLONG kMsBetweenPumps = 30;
  ULONGLONG lastPump = GetTickCount64();
  while (next_ < entries_.size()) {
    if (form_.Closed) return;
    if (work_.EndRequested()) {
      // A close waits: the rest goes in as the list names it, without tags.
      for (; next_ < entries_.size(); ++next_) {
        const PlaylistEntry& entry = entries_[next_];
        form_.AppendEntry(entry.Path, UntaggedText(entry));
      }
      return;
    }
    const PlaylistEntry& entry = entries_[next_++];
    form_.AppendEntry(entry.Path, entry.Text.empty() ? form_.DisplayTitle(entry.Path) : entry.Text);
    if (afterEach) afterEach();
    if (GetTickCount64() - lastPump >= kMsBetweenPumps) {
      forms::Application->ProcessMessages();
      lastPump = GetTickCount64();
    }
  }
}

std::string TForm1::ListImport::UntaggedText(const PlaylistEntry& entry) {
  return entry.Text.empty() ? " " + sv::ExtractFileName(entry.Path) : entry.Text;
}

std::vector<PlaylistEntry> TForm1::ListImport::Remaining() const {
  return {entries_.begin() + static_cast<std::ptrdiff_t>(next_), entries_.end()};
}

void TForm1::WirePlaylist() {
  ListBox1->OnMouseDown = Bind(this, &TForm1::ListBox1MouseDown);
  ListBox1->OnMouseMove = Bind(this, &TForm1::ListBox1MouseMove);

  PopupMenuPlaylist = forms::New<forms::ShortcutMenu>(this, "PopupMenuPlaylist");
  PopupMenuPlaylist->OnDrawItem = [this](forms::MenuEntry& item, HDC dc, const RECT& rect, bool selected) {
    PopupMenuPlaylistDrawItem(item, dc, rect, selected);
  };
  struct ItemRow {
    forms::MenuEntry** item;
    const char* caption;
    const char* name;
    void (TForm1::*click)(forms::TComponent*);
  };
  const ItemRow rows[] = {
      {&MenuEcouterChanson, "Ecouter", "MenuEcouterChanson", &TForm1::MenuEcouterChansonClick},
      {&MenuEditeurTag, "Editeur de tag", "MenuEditeurTag", &TForm1::MenuEditeurTagClick},
      {&MenuSelectAll, "Sélectionner tout", "MenuSelectAll", &TForm1::MenuSelectAllClick},
      {&MenuSupprimerChanson, "Supprimer la sélection", "MenuSupprimerChanson", &TForm1::MenuSupprimerChansonClick},
      {&MenuRechercherChanson, "Chercher...", "MenuRechercherChanson", &TForm1::MenuRechercherChansonClick},
      {&MenuSauverListe, "Sauver la playliste", "MenuSauverListe", &TForm1::MenuSauverListeClick},
      {&MenuRefreshListe, "Rafraîchir", "MenuRefreshListe", &TForm1::MenuRefreshListeClick},
  };
  for (const ItemRow& row : rows) {
    *row.item = PopupMenuPlaylist->Add(row.caption, row.name);
    (*row.item)->OnClick = Bind(this, row.click);
  }
  WireSearchBox();
}

std::vector<int> TForm1::SelectedIndices() const {
  std::vector<int> selected;
  const int count = ListBox1->Count();
  for (int i = 0; i < count; ++i)
    if (ListBox1->Selected(i)) selected.push_back(i);
  return selected;
}

void TForm1::ListBox1MouseDown(forms::TComponent*, forms::MouseButton Button, forms::ShiftState, int X, int Y) {
  const int under = ListBox1->ItemAtPos(X, Y);
  if (under < 0) ListBox1->ClearSelection();
  if (Button != forms::MouseButton::Right) return;
  if (under >= 0 && !ListBox1->Selected(under)) ListBox1->SetItemIndex(under);

  std::vector<std::string> selectedPaths;
  for (const int index : SelectedIndices())
    if (index < static_cast<int>(Playlist.size())) selectedPaths.push_back(Playlist[static_cast<std::size_t>(index)]);
  const PlaylistMenuItems shown = PlaylistMenuVisibility(selectedPaths, ListBox1->Count());
  MenuEcouterChanson->Visible = shown.Play;
  MenuEditeurTag->Visible = shown.TagEditor;
  MenuSelectAll->Visible = shown.SelectAll;
  MenuSupprimerChanson->Visible = shown.Remove;
  MenuRechercherChanson->Visible = shown.Find;
  MenuSauverListe->Visible = shown.Save;
  MenuRefreshListe->Visible = shown.Refresh;

  POINT point{};
  GetCursorPos(&point);
  PopupMenuPlaylist->Popup(point.x, point.y, Handle());
}

void TForm1::ListBox1MouseMove(forms::TComponent*, forms::ShiftState, int, int) {
  // Those windows take typing of their own; the list must not take it away.
  if (OpenLanguageForm(LangWindow::Options) || OpenLanguageForm(LangWindow::TagEditor)) return;
  if (GetFocus() != ListBox1->Handle()) ::SetFocus(ListBox1->Handle());
}

void TForm1::PopupMenuPlaylistDrawItem(forms::MenuEntry& Item, HDC Dc, const RECT& Rect, bool Selected) {
  forms::BrushHandle background(CreateSolidBrush(forms::ToColorRef(ListBox1->Color())));
  FillRect(Dc, &Rect, background.Get());
  if (Selected) {
    forms::BrushHandle frame(CreateSolidBrush(forms::ToColorRef(PlayingColor)));
    FrameRect(Dc, &Rect, frame.Get());
  }
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, forms::ToColorRef(Selected ? PlayingColor : ListTextColor));
  if (ListFont) SelectObject(Dc, ListFont.Get());
  const std::wstring caption = forms::widen(Item.Caption);
  TextOutW(Dc, Rect.left + 4, Rect.top + 2, caption.c_str(), static_cast<int>(caption.size()));
}

void TForm1::MenuEcouterChansonClick(forms::TComponent*) {
  Request(RequestKind::ListCommand, [this] {
    const int index = ListBox1->ItemIndex();
    if (index < 0) return;
    ActiveFichier(index, 0, 100, 0);
    LitFichier(false);
  });
}

void TForm1::MenuSelectAllClick(forms::TComponent*) {
  HiddenWhile hidden(*ListBox1, ListBox1->Count() >= kHiddenChangeCount);
  ListBox1->SelectAll();
}

void TForm1::MenuSupprimerChansonClick(forms::TComponent*) {
  Request(RequestKind::ListCommand, [this] { RemoveSelection(); });
}

void TForm1::RemoveSelection() {
  const std::vector<int> selected = SelectedIndices();
  if (selected.empty()) return;
  if (CurrentIndex >= 0 && std::binary_search(selected.begin(), selected.end(), CurrentIndex)) DesactiveFichier(true);
  // The stop may have let other work change the list: only entries that
  // are still there, and still selected, go.
  const std::vector<int> removed = SelectedIndices();
  const int current = CurrentIndexAfterRemoval(CurrentIndex, removed);
  HiddenWhile hidden(*ListBox1, ListBox1->Count() >= kHiddenChangeCount);
  for (auto at = removed.rbegin(); at != removed.rend(); ++at) {
    const auto index = static_cast<std::size_t>(*at);
    if (index < Playlist.size()) Playlist.erase(Playlist.begin() + static_cast<std::ptrdiff_t>(index));
    ListBox1->Delete(*at);
  }
  CurrentIndex = current;
  ListBox1->SetHorizontalExtent(0);
  ListBox1->Invalidate();
}

void TForm1::MenuRefreshListeClick(forms::TComponent*) {
  Request(RequestKind::ListCommand, [this] { RefreshTexts(); });
}

void TForm1::RefreshTexts() {
  // Every text is made first and then put in place: the list never holds
  // fewer texts than paths, whatever runs while titles are read.
  const std::vector<std::string> paths = Playlist;
  std::vector<std::string> texts;
  texts.reserve(paths.size());
  for (const std::string& path : paths) texts.push_back(DisplayTitle(path));
  if (Playlist != paths || Closed) return;
  {
    HiddenWhile hidden(*ListBox1, ListBox1->Count() >= kHiddenChangeCount);
    ListBox1->SetHorizontalExtent(0);
    // One text per path, whatever the list held.
    for (std::size_t i = 0; i < texts.size(); ++i) {
      if (static_cast<int>(i) < ListBox1->Count())
        ListBox1->SetItem(static_cast<int>(i), OneLineText(texts[i]));
      else
        ListBox1->Add(OneLineText(texts[i]));
    }
    while (ListBox1->Count() > static_cast<int>(texts.size())) ListBox1->Delete(ListBox1->Count() - 1);
  }
  if (CurrentIndex >= 0 && CurrentIndex < ListBox1->Count()) ListBox1->SetItemIndex(CurrentIndex);
}

}  // namespace player
