// Every textual command: arguments of the command line and of a second
// instance, dropped files, and the main window's keys.
#include <windows.h>
#include <shellapi.h>

#include <utility>

#include "base/Ascii.h"
#include "base/Paths.h"
#include "base/TextFile.h"
#include "forms/Application.h"
#include "forms/Wide.h"
#include "player/CommandSwitches.h"
#include "player/Extensions.h"
#include "player/PlaylistFiles.h"
#include "player/app/FolderFiles.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"

namespace player {

namespace {

DWORD Attributes(const std::string& path) { return GetFileAttributesW(forms::widen(path).c_str()); }

bool IsExistingFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// DragFinish in every case, also when treating a name fails.
class DropHandle {
 public:
  explicit DropHandle(HDROP drop) : drop_(drop) {}
  ~DropHandle() { DragFinish(drop_); }
  DropHandle(const DropHandle&) = delete;
  DropHandle& operator=(const DropHandle&) = delete;

 private:
  HDROP drop_;
};

}  // namespace

bool TForm1::Request(RequestKind kind, std::function<void()> action) {
  if (Closed) return false;
  return Gate.Admit(kind, std::move(action));
}

// A dialog, a check or a search may stay open for long and hold nothing.
bool TForm1::Busy() const {
  for (const WorkKind work : {WorkKind::Startup, WorkKind::Import, WorkKind::SongChange, WorkKind::TreeScan,
                              WorkKind::TagWrite})
    if (Gate.Running(work)) return true;
  return false;
}

void TForm1::TraiteParam(const std::string& Param, bool Play) { HandArgument(Param, Play, false); }

RequestKind TForm1::ArgumentRequest(const std::string& argument, bool play) const {
  switch (ParseSwitch(argument).Kind) {
    case SwitchKind::Play:
    case SwitchKind::Next:
    case SwitchKind::Prev:
      return RequestKind::Transport;
    case SwitchKind::Quit:
      return RequestKind::Close;
    case SwitchKind::Open:
      return RequestKind::Open;
    case SwitchKind::Skin:
      return RequestKind::SettingsChange;
    case SwitchKind::Toggle:
      return RequestKind::Show;
    case SwitchKind::None:
      break;
  }
  return play ? RequestKind::PlayItem : RequestKind::AppendItem;
}

// A dropped name plays when no entry is current as it is treated, so that
// of names dropped during work the first one plays.
void TForm1::HandArgument(const std::string& argument, bool play, bool playIfNoneCurrent) {
  if (ParseSwitch(argument).Kind == SwitchKind::Quit) {
    RequestClose();
    return;
  }
  // Shift and Ctrl count as they were when the argument came.
  const bool append = Keys->ShiftDown(), recurse = Keys->CtrlDown();
  const RequestKind kind = playIfNoneCurrent ? RequestKind::Drop : ArgumentRequest(argument, play);
  Request(kind, [this, argument, play, playIfNoneCurrent, append, recurse] {
    TreatArgument(argument, playIfNoneCurrent ? CurrentIndex == -1 : play, append, recurse);
  });
}

void TForm1::TreatArgument(const std::string& argument, bool play, bool append, bool recurse) {
  const Switch command = ParseSwitch(argument);
  switch (command.Kind) {
    case SwitchKind::Play:
      LecturePause();
      return;
    case SwitchKind::Next:
      LecturePrevNext(false, true);
      return;
    case SwitchKind::Prev:
      LecturePrevNext(true, true);
      return;
    case SwitchKind::Quit:
      RequestClose();
      return;
    case SwitchKind::Open:
      AfficheForm(0, false);
      // A modal dialog inside the sender's call would hold the sender.
      PostMessageW(Handle(), kOpenDialogMessage, 0, 0);
      return;
    case SwitchKind::Skin:
      ChangeSkin(command.SkinName);
      return;
    case SwitchKind::Toggle:
      if (FormShown)
        CacheForm(true);
      else
        AfficheForm(0, false);
      return;
    case SwitchKind::None:
      break;
  }
  if (sv::FileExists(argument)) {
    const std::string extension = sv::LowerAscii(sv::ExtractFileExt(argument));
    if (IsSupportedFile(argument, SupportedExtensions)) {
      AppendEntry(argument, DisplayTitle(argument));
      if (play) {
        ActiveFichier(static_cast<int>(Playlist.size()) - 1, 0, 100, 0);
        LitFichier(true);
      }
    } else if (extension == ".m3u") {
      ImportM3U(argument, play);
    } else if (extension == ".pls") {
      ImportPLS(argument, play);
    }
    return;
  }
  if (IsExistingFolder(argument)) TreatFolder(argument, append, recurse);
}

void TForm1::ChangeSkin(const std::string& name) {
  // The name reaches us from any local process: it must stay inside "skin\".
  if (!IsPlainSkinName(name)) return;
  const std::string folder = sv::IncludeTrailingBackslash(ExeFolder + "skin\\" + name);
  if (!sv::FileExists(folder + "skin.ini")) return;
  SkinFolder = folder;
  if (Initialised)
    LoadSkin(true);
  else
    FormInfoBulle->ChargeSkin();
}

void TForm1::TreatFolder(const std::string& path, bool append, bool recurse) {
  if (!append) {
    ClearEntries();
    DesactiveFichier(true);
  }
  AjouteRepLecture(path, recurse, !append);
}

void TForm1::AjouteRepLecture(const std::string& Folder, bool Recurse, bool Start) {
  // A folder that is merely named like a playlist is a folder: treating it
  // as a playlist would come back here without end.
  if (IsPlaylistFile(Folder) && sv::FileExists(Folder)) {
    TreatArgument(Folder, true);
    return;
  }
  std::vector<PlaylistEntry> entries;
  for (std::string& file : GatherFolderFiles(Folder, Recurse, SupportedExtensions))
    entries.push_back(PlaylistEntry{std::move(file), {}});
  const bool shuffle = MenuShuffle->Checked;
  {
    ListImport import(*this, std::move(entries));
    bool started = false;
    import.Run([&] {
      if (!Start || started || shuffle) return;
      started = true;
      CurrentIndex = static_cast<int>(Playlist.size()) - 1;
      ActiveFichier(CurrentIndex, 0, 100, 0);
      LitFichier(true);
    });
  }
  if (Start && shuffle && !Playlist.empty() && !Closed) {
    CurrentIndex = RandomIndex(static_cast<int>(Playlist.size()));
    ActiveFichier(CurrentIndex, 0, 100, 0);
    LitFichier(true);
  }
}

void TForm1::ImportM3U(const std::string& path, bool play) {
  // A list that cannot be read raises before anything changes.
  std::vector<std::string> lines;
  ReadPlaylistLines(path, lines);
  ImportM3uLines(lines, sv::ExtractFilePath(path), play);
}

void TForm1::ImportM3uLines(const std::vector<std::string>& lines, const std::string& folder, bool play) {
  std::vector<PlaylistEntry> entries;
  for (auto& entry : ParseM3u(lines, folder, SupportedExtensions))
    entries.push_back(PlaylistEntry{std::move(entry.Path), entry.Title.empty() ? std::string() : " " + entry.Title});
  ImportEntries(std::move(entries), play);
}

void TForm1::ImportPLS(const std::string& path, bool play) {
  // A list that cannot be read raises before anything changes.
  std::vector<PlaylistEntry> entries;
  for (auto& entry : ParsePls(sv::ReadFileBytes(path), sv::ExtractFilePath(path)))
    entries.push_back(PlaylistEntry{std::move(entry.Path), std::move(entry.Title)});
  ImportEntries(std::move(entries), play);
}

// The list is replaced by the entries; the first one plays at once when
// asked, the others are read in meanwhile.
void TForm1::ImportEntries(std::vector<PlaylistEntry> entries, bool play) {
  ListImport import(*this, std::move(entries));
  ClearEntries();
  DesactiveFichier(true);
  import.Run([&] {
    if (!play || Playlist.size() != 1) return;
    ActiveFichier(0, 0, 100, 0);
    LitFichier(true);
  });
}

void TForm1::ReceiveHandOver(forms::WindowMessage& message) {
  const auto atom = static_cast<ATOM>(LOWORD(message.WParam));
  if (atom == 0) return;
  wchar_t name[256] = {};
  const UINT length = GlobalGetAtomNameW(atom, name, 256);
  const bool shift = Keys->ShiftDown();
  GlobalDeleteAtom(atom);
  // The sender deletes the atom itself unless we say we did.
  message.Result = 1;
  if (length == 0) return;
  const std::string argument = forms::narrow(std::wstring(name, length));
  // The sender waits while the argument is treated now; one that waits for
  // work under way lets it go at once.
  TraiteParam(argument, !shift);
}

void TForm1::WMDropFiles(HDROP drop) {
  DropHandle finish(drop);
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  std::vector<std::string> names;
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    if (length == 0) break;
    std::wstring name(length + 1, L'\0');
    DragQueryFileW(drop, i, name.data(), length + 1);
    name.resize(length);
    names.push_back(forms::narrow(name));
  }
  SortPathsIgnoringCase(names);
  for (const std::string& name : names) HandArgument(name, false, true);
}

void TForm1::FormKeyDown(forms::TComponent*, std::uint16_t& Key, forms::ShiftState Shift) {
  if (Key == VK_F5) {
    if (ListBox1->Visible()) MenuRefreshListeClick(nullptr);
    if (TreeView1->Visible()) MiseaJours(true);
    return;
  }
  if (Key == VK_F3) {
    RechercheTexte->Tag = 0;
    LblLancerRechercheClick(nullptr);
  }
  // The search box takes the typing: only finding and closing act on it.
  if (RechercheBox->Visible()) {
    if (Key == VK_RETURN) {
      RechercheTexte->Tag = 0;
      LblLancerRechercheClick(nullptr);
      // The edit would only chime at it.
      Key = 0;
    } else if (Key == VK_ESCAPE) {
      LblFermeRechercheClick(nullptr);
      Key = 0;
    }
    return;
  }
  const bool ctrl = (Shift & forms::kCtrlKey) != 0;
  if (Key == 'O') {
    MenuOptionsClick(nullptr);
    return;
  }
  if (Key == 0xE2) {
    if (SpdBtnRep->Down()) {
      SpdBtnListe->SetDown(true);
    } else if (SpdBtnListe->Down()) {
      SpdBtnListe->SetDown(false);
    } else {
      SpdBtnRep->SetDown(true);
    }
    SpdBtnRepClick(SpdBtnRep);
    return;
  }
  if (TreeKeyDown(Key, Shift) || GetFocus() != ListBox1->Handle()) return;
  if (Key == 'A' && ctrl) {
    ListBox1->SelectAll();
  } else if (Key == 'I') {
    MenuEditeurTagClick(nullptr);
  } else if (Key == VK_DELETE) {
    MenuSupprimerChansonClick(nullptr);
  } else if (Key == VK_SPACE || Key == VK_RETURN) {
    MenuEcouterChansonClick(nullptr);
  } else if (Key == 'F' && ctrl) {
    MenuRechercherChansonClick(nullptr);
  }
}

void TForm1::RequestClose() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

void TForm1::MenuQuitterClick(forms::TComponent*) { RequestClose(); }

}  // namespace player
