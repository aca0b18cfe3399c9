// The close of the main window: the one place where the playback state,
// the flags, the window's geometry, the tree cache and the playlist are
// saved, and what the player owns is freed. It runs once, when no handler
// that uses the lists is on the stack; the end of the session saves first.
#include <windows.h>

#include <exception>
#include <string_view>

#include "base/Paths.h"
#include "forms/Application.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "net/win32/Scrobbler.h"
#include "player/PlaylistFiles.h"
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
  forms::Application->OnPumpsUnwound = [this] { ResumeDeferredClose(); };
}

// The close frees what handlers further up the stack still use: it waits
// until none of them runs (a playback-road call, a long list operation, a
// dialog, a loop that lets messages through).
bool TForm1::CloseMustWait() const {
  return RoadDepth > 0 || Busy || ModalDepth > 0 || (forms::Application && forms::Application->PumpDepth() > 0);
}

void TForm1::ResumeDeferredClose() {
  if (!PendingClose || Closed || CloseMustWait()) return;
  PendingClose = false;
  PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TForm1::CancelOpenDialogs() {
  if (ModalDepth > 0) EnumThreadWindows(GetCurrentThreadId(), &CancelOwnedDialog, reinterpret_cast<LPARAM>(Handle()));
}

void TForm1::FormCloseQuery(forms::TComponent*, bool& CanClose) {
  if (Closed) {
    CanClose = false;
    return;
  }
  if (DeferCloseForNetCheck()) {
    CanClose = false;
    return;
  }
  // A search ends at its next folder; the close comes once it has unwound.
  if (FormRecherche && FormRecherche->Searching()) FormRecherche->BtnAnnulerClick(nullptr);
  if (CloseMustWait()) {
    CanClose = false;
    PendingClose = true;
    CancelOpenDialogs();
  }
}

std::exception_ptr TForm1::SaveState() {
  Steps steps;
  if (StateSaved) return nullptr;
  StateSaved = true;
  // The tree first: the expanded nodes are saved only with the tree they
  // count in.
  if (Initialised) steps.Run([this] { SaveTreeCache(); });
  steps.Run([this] { SaveCloseSettings(); });
  // A list that could not be read at the start is left as it is unless
  // this run made one (it started empty).
  if (!OwnPlaylistUnreadable || !Playlist.empty()) {
    steps.Run([this] {
      std::vector<std::string> texts;
      for (int i = 0; i < ListBox1->Count(); ++i) texts.push_back(ListBox1->Item(i));
      SaveOwnPlaylist(OwnPlaylistLines(Playlist, texts, ExeFolder));
    });
  }
  DeleteFileW(forms::widen(ExeFolder + "temp.jpg").c_str());
  return steps.FirstError();
}

void TForm1::FormClose(forms::TComponent*, forms::CloseAction&) {
  Closed = true;
  PendingClose = false;
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
  if (steps.FirstError() && !EndingSession) forms::ReportException(steps.FirstError());
}

// The end of the Windows session: the process may end as soon as this
// returns, so the state is saved now. What frees the lists waits, as any
// close does, until no handler that uses them (a network check among them)
// runs.
void TForm1::SaveOnSessionEnd() {
  if (Closed) return;
  EndingSession = true;
  bool canClose = true;
  FormCloseQuery(this, canClose);
  if (!canClose) {
    SaveState();
    return;
  }
  forms::CloseAction action = forms::CloseAction::Free;
  FormClose(this, action);
  forms::Application->Terminate();
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
