// The close of the main window: the one place where the playback state,
// the flags, the window's geometry and the playlist are saved.
#include <windows.h>

#include <exception>

#include "base/Paths.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "player/PlaylistFiles.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"

namespace player {

void TForm1::FormCloseQuery(forms::TComponent*, bool& CanClose) {
  if (DeferCloseForNetCheck()) {
    CanClose = false;
    return;
  }
  // A close during a playback-road call waits until that call returns.
  if (RoadDepth > 0 || Closed) {
    CanClose = false;
    PendingClose = !Closed;
  }
}

void TForm1::FormClose(forms::TComponent*, forms::CloseAction&) {
  Closed = true;
  // Each step runs on its own: one that fails (a read-only folder, a locked
  // list) is reported once at the end, and the close still goes through, so
  // the program always ends.
  std::exception_ptr firstError;
  const auto step = [&firstError](const auto& work) {
    try {
      work();
    } catch (...) {
      if (!firstError) firstError = std::current_exception();
    }
  };
  step([this] { SaveCloseSettings(); });
  if (Initialised) step([this] { SaveTreeCache(); });
  // A list that could not be read at the start is left as it is.
  if (!OwnPlaylistUnreadable) {
    step([this] {
      std::vector<std::string> texts;
      for (int i = 0; i < ListBox1->Count(); ++i) texts.push_back(ListBox1->Item(i));
      WritePlaylistFile(PlaylistFile, OwnPlaylistLines(Playlist, texts, ExeFolder));
    });
  }
  DeleteFileW(forms::widen(ExeFolder + "temp.jpg").c_str());

  // No end of song may reach the lists once they are gone.
  step([this] { DesactiveFichier(true); });
  for (auto* timer : {&TimerAffichage, &TimerAvancement, &TimerCheckVersion, &TimerCDDB}) timer->reset();
  HotKeyManager1->UnregisterAllHotKeys();
  TrayIcon1->SetIconVisible(false);
  if (firstError) forms::ReportException(firstError);
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
    for (std::size_t i = 0; i < settings.Equalizer.size(); ++i) settings.Equalizer[i] = Volume.EqGain[i];
  }
  SettingsFile(IniFileName).WriteCloseSettings(Initialised, settings);
}

}  // namespace player
