// The close of the main window: the one place where the playback state,
// the flags, the window's geometry, the tree cache and the playlist are
// saved, and what the player owns is freed. It runs once, when no work or
// loop that uses the lists is on the stack; the end of the session saves
// first.
#include <windows.h>

#include <exception>
#include <string_view>

#include "base/Paths.h"
#include "forms/Application.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "net/win32/Scrobbler.h"
#include "player/PlaylistFiles.h"
#include "player/app/StationOpens.h"
#include "player/app/Steps.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"
#include "player/app/Unit_Form_Recherche.h"

namespace player {

namespace {

BOOL CALLBACK CancelOwnedDialog(HWND window, LPARAM owner) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring_view(name) == L"#32770" && GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner))
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
  return TRUE;
}

}  // namespace

void TForm1::WireClose() {
  forms::Application->OnPumpsUnwound = [this] { ResumeAdmittedClose(); };
  // Requests that waited run from the message loop, not inside the end of
  // the work they waited for.
  Gate.OnRunnable = [this] { PostMessageW(Handle(), kWaitingMessage, 0, 0); };
  SetMessageHandler(kWaitingMessage, [this](forms::WindowMessage&) { Gate.Drain(); });
}

void TForm1::ResumeAdmittedClose() {
  if (CloseAdmitted && !Closed) PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TForm1::CancelOpenDialogs() {
  EnumThreadWindows(GetCurrentThreadId(), &CancelOwnedDialog, reinterpret_cast<LPARAM>(Handle()));
}

// A close takes its turn at the gate like any request: it ends the work that
// may end early (an import, a scan, a search, a check, a dialog) and waits
// for the rest. Once let through, it runs when no loop that lets messages
// through is left on the stack: those still use what the close frees.
void TForm1::FormCloseQuery(forms::TComponent*, bool& CanClose) {
  CanClose = false;
  if (Closed) return;
  if (CloseAdmitted) {
    CanClose = !Gate.Working() && !(forms::Application && forms::Application->PumpDepth() > 0);
    return;
  }
  if (CloseAsked) return;
  CloseAsked = true;
  Request(RequestKind::Close, [this] {
    CloseAdmitted = true;
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
  });
}

std::vector<std::string> TForm1::OwnListLines() const {
  std::vector<std::string> paths = Playlist;
  std::vector<std::string> texts;
  for (int i = 0; i < ListBox1->Count(); ++i) texts.push_back(ListBox1->Item(i));
  // A list whose import could not finish (the end of the session) is saved
  // whole: the entries not added yet as the list names them.
  if (RunningImport) {
    texts.resize(paths.size());
    for (const PlaylistEntry& entry : RunningImport->Remaining()) {
      paths.push_back(entry.Path);
      texts.push_back(ListImport::UntaggedText(entry));
    }
  }
  return OwnPlaylistLines(paths, texts, ExeFolder);
}

std::exception_ptr TForm1::SaveState() {
  Steps steps;
  if (StateSaved) return nullptr;
  StateSaved = true;
  // The tree first: the expanded nodes are saved only with the tree they
  // count in.
  if (Initialised) steps.Run([this] { SaveTreeCache(); });
  steps.Run([this] { SaveCloseSettings(); });
  // A list that could not be read at the start is never replaced; when this
  // run made one, it goes beside it.
  if (!OwnPlaylistUnreadable || !Playlist.empty() || RunningImport)
    steps.Run([this] { SaveOwnPlaylist(OwnListLines()); });
  DeleteFileW(forms::widen(ExeFolder + "temp.jpg").c_str());
  return steps.FirstError();
}

void TForm1::FormClose(forms::TComponent*, forms::CloseAction&) {
  Closed = true;
  Gate.Seal();
  // No station may open once the lists are gone.
  Stations.reset();
  // Each step runs on its own: one that fails (a read-only folder, a locked
  // list) is reported once at the end, and the close still goes through, so
  // the program always ends.
  Steps steps;
  steps.Run([this] {
    if (std::exception_ptr error = SaveState()) std::rethrow_exception(error);
  });
  // No end of song may reach the lists once they are gone.
  steps.Run([this] { DesactiveFichier(true); });
  for (auto* timer : {&TimerAffichage, &TimerAvancement, &TimerCheckVersion, &TimerCDDB}) timer->reset();
  ClearEntries();
  CurrentIndex = -1;
  ShuffleHistory.clear();
  if (Scrobbler) {
    DeleteComponent(Scrobbler);
    Scrobbler = nullptr;
  }
  steps.Run([this] { HotKeyManager1->UnregisterAllHotKeys(); });
  steps.Run([this] { TrayIcon1->SetIconVisible(false); });
  if (steps.FirstError()) forms::ReportException(steps.FirstError());
}

// The end of the Windows session: the process may end as soon as this
// returns, so the state is saved now, a running import's remaining entries
// with it, and where the list went is said. What frees the lists waits, as
// any close does, until no work that uses them runs.
void TForm1::SaveOnSessionEnd() {
  if (Closed) return;
  bool canClose = false;
  FormCloseQuery(this, canClose);
  if (CloseAdmitted) FormCloseQuery(this, canClose);
  if (canClose) {
    forms::CloseAction action = forms::CloseAction::Free;
    FormClose(this, action);
    forms::Application->Terminate();
    return;
  }
  if (const std::exception_ptr error = SaveState()) forms::ReportException(error);
}

void TForm1::SaveCloseSettings() {
  CloseSettings settings;
  settings.Playback.Volume = static_cast<std::int32_t>(ProgressBar2->Position());
  settings.Playback.CurrentIndex = CurrentIndex;
  settings.Playback.Position = ProgressBar1->Position();
  settings.Playback.LengthBytes = ProgressBar1->Max();
  settings.Playback.LengthSeconds = LengthSeconds;
  settings.Playback.Shuffle = MenuShuffle->Checked;
  settings.Playback.LoopPlaylist = MenuLectureBoucle->Checked;
  settings.Options.StayVisible = MenuResteAffichee->Checked;
  settings.Options.Flags = Flags;
  settings.Options.PreviewTop = PreviewTop;
  settings.Options.PreviewRight = PreviewRight;
  settings.Options.Language = sv::ExtractFileName(LangFileName);
  std::string skin = SkinFolder;
  if (!skin.empty() && skin.back() == '\\') skin.pop_back();
  settings.Options.Skin = sv::ExtractFileName(skin);
  settings.Options.BubbleOpacity = FormInfoBulle->Tag;
  if (Initialised) {
    settings.Layout = SavedLayout;
    settings.Layout.TimeMode = LabelTemps->Tag;
    settings.Layout.Width = Width();
    settings.Layout.Height = Height();
    settings.Layout.Left = Left();
    settings.Layout.Top = Top();
    settings.Layout.LastShownIndex = SpdBtnRep->Down() ? 1 : SpdBtnListe->Down() ? 2 : 3;
    settings.Layout.TreeViewWidth = TreeViewWidth;
    if (TreeWritten) settings.Layout.ExpandedNodes = ExpandedNodesText();
    for (std::size_t i = 0; i < settings.Equalizer.size(); ++i) settings.Equalizer[i] = Volume.EqGain[i];
  }
  SettingsFile(IniFileName).WriteCloseSettings(Initialised, settings);
}

}  // namespace player
