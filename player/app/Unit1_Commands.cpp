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

// Arguments that arrive during the start-up, a long list operation or a
// playback-road call (all of which let messages through) would change the
// lists under that work: they wait, in order.
bool TForm1::MustHoldArguments() const { return !StartupDone || Busy || RoadDepth > 0; }

void TForm1::TraiteParam(const std::string& Param, bool Play) { HandArgument(WaitingArgument{Param, Play}); }

void TForm1::HandArgument(const WaitingArgument& argument) {
  // Once closed, the lists, the channel and the timers are gone.
  if (Closed) return;
  // A quit does not wait behind a playback-road call: a station's open may
  // take long, and the close ends it.
  if (StartupDone && RoadDepth > 0 && ParseSwitch(argument.Text).Kind == SwitchKind::Quit) {
    RequestClose();
    return;
  }
  // The start-up's own argument is treated at once; it comes last there.
  if (StartupDone && HeldArguments.Hold(argument, MustHoldArguments())) {
    // Held only behind earlier ones: their turn may already be queued, but
    // not necessarily after this call.
    if (!MustHoldArguments()) PostMessageW(Handle(), kArgumentsMessage, 0, 0);
    return;
  }
  TreatArgument(argument.Text, argument.PlaysWhen(CurrentIndex == -1));
}

// Posted when the work that held arguments back has returned; anything that
// holds them again posts anew when it returns.
void TForm1::DrainArguments() {
  if (Closed) {
    HeldArguments.Clear();
    return;
  }
  while (auto next = HeldArguments.Next(MustHoldArguments())) {
    TreatArgument(next->Text, next->PlaysWhen(CurrentIndex == -1));
  }
}

void TForm1::TreatArgument(const std::string& argument, bool play) {
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
  if (IsExistingFolder(argument)) TreatFolder(argument);
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

void TForm1::TreatFolder(const std::string& path) {
  ListWork work(*this);
  const bool append = Keys->ShiftDown();
  const bool recurse = Keys->CtrlDown();
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
  const std::vector<std::string> files = GatherFolderFiles(Folder, Recurse, SupportedExtensions);
  ListImport import(*this);
  bool started = false;
  for (const std::string& file : files) {
    if (!import.Add(file, {})) return;
    if (Start && !started && !MenuShuffle->Checked) {
      started = true;
      CurrentIndex = static_cast<int>(Playlist.size()) - 1;
      ActiveFichier(CurrentIndex, 0, 100, 0);
      LitFichier(true);
    }
  }
  if (Start && MenuShuffle->Checked && !Playlist.empty()) {
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
  ListImport import(*this);
  ClearEntries();
  DesactiveFichier(true);
  const auto entries = ParseM3u(lines, folder, SupportedExtensions);
  for (const auto& entry : entries) {
    if (!import.Add(entry.Path, entry.Title.empty() ? std::string() : " " + entry.Title)) return;
    if (play && Playlist.size() == 1) {
      ActiveFichier(0, 0, 100, 0);
      LitFichier(true);
    }
  }
}

void TForm1::ImportPLS(const std::string& path, bool play) {
  // A list that cannot be read raises before anything changes.
  const auto entries = ParsePls(sv::ReadFileBytes(path), sv::ExtractFilePath(path));
  ListImport import(*this);
  ClearEntries();
  DesactiveFichier(true);
  for (const auto& entry : entries) {
    if (!import.Add(entry.Path, entry.Title)) return;
    if (play && Playlist.size() == 1) {
      ActiveFichier(0, 0, 100, 0);
      LitFichier(true);
    }
  }
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
  if (!StartupDone) {
    HeldArguments.Hold(argument, !shift, true);
    return;
  }
  // The sender waits until the argument is treated, unless a station's open
  // lets it go first (Unit1_StreamOpen).
  const bool outer = std::exchange(SenderWaits, true);
  TraiteParam(argument, !shift);
  SenderWaits = outer;
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
  for (const std::string& name : names) HandArgument(WaitingArgument{name, false, true});
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
    if (ListBox1->ItemIndex() >= 0) {
      ActiveFichier(ListBox1->ItemIndex(), 0, 100, 0);
      LitFichier(false);
    }
  } else if (Key == 'F' && ctrl) {
    MenuRechercherChansonClick(nullptr);
  }
}

void TForm1::RequestClose() { PostMessageW(Handle(), WM_CLOSE, 0, 0); }

void TForm1::MenuQuitterClick(forms::TComponent*) { RequestClose(); }

}  // namespace player
