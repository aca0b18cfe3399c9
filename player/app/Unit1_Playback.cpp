// The playback road: every request to play ends here.
#include "base/TextFile.h"
#include "forms/Application.h"
#include "forms/Wide.h"
#include "net/win32/Scrobbler.h"
#include "player/Extensions.h"
#include "player/Shuffle.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"

namespace player {

SONO_SYNCPROC* EndSyncProcedure();
SONO_SYNCPROC* MetaSyncProcedure();

int RandomIndex(int count) { return RandomDraws()(count); }

// Counts the playback-road calls on the stack. They let pending messages
// run, so an end of song or an argument may arrive meanwhile: those wait
// until the outermost call returns, then are posted again.
TForm1::RoadCall::RoadCall(TForm1& form) : form_(form) {
  ++form_.RoadDepth;
  ++form_.RoadSerial;
}

TForm1::RoadCall::~RoadCall() {
  if (--form_.RoadDepth > 0) return;
  if (form_.PendingEnd != 0) {
    PostMessageW(form_.Handle(), kEndOfSongMessage, form_.PendingEnd, 0);
    form_.PendingEnd = 0;
  }
  if (!form_.HeldArguments.Empty()) PostMessageW(form_.Handle(), kArgumentsMessage, 0, 0);
  form_.ResumeDeferredClose();
}

void TForm1::ActiveFichier(int Index, std::int64_t Position, std::int64_t, float) {
  RoadCall road(*this);
  DesactiveFichier(false);
  if (Index < 0 || Index >= static_cast<int>(Playlist.size())) return;
  CurrentIndex = Index;
  const std::string path = Playlist[static_cast<std::size_t>(Index)];
  if (sv::FileExists(path) || IsStreamUrl(path)) {
    SongInfo->Load(path, true, Flags.AlbumCoverPreview);
    if (SongInfo->Length >= 0) {
      ProgressBar1->SetEnabled(true);
      ProgressBar1->SetMax(SongInfo->Length);
      ProgressBar1->SetPosition(Position);
      LengthSeconds = std::max(0.0f, SongInfo->Seconds);
    } else {
      ProgressBar1->SetPosition(0);
      LengthSeconds = 0;
    }
    SetBubbleText(Index < ListBox1->Count() ? ListBox1->Item(Index) : std::string());
    if (Flags.AlbumCoverPreview)
      ShowCover(path);
    else
      HideCover();
  } else {
    FormInfoBulle->SetCaption("Sorivanel");
    TrayIcon1->SetHint("Sorivanel");
  }
  // Pumping during the cover may have changed the list under us.
  if (CurrentIndex < 0 || CurrentIndex >= static_cast<int>(Playlist.size())) return;
  SetTransportEnabled(true);
  ListBox1->SetItemIndex(CurrentIndex);
  RepaintLists();
}

void TForm1::LitFichier(bool ShowBubble) {
  // After the close the timers are gone and nothing may play.
  if (Closed || !TimerAvancement) return;
  if (CurrentIndex < 0 || CurrentIndex >= static_cast<int>(Playlist.size())) return;
  RoadCall road(*this);
  // A channel that ended but whose end was not handled yet (or that stalled)
  // is still set: it goes before another is made, or its decoder and file
  // would stay open for good.
  FreeChannel();
  const int start = CurrentIndex;
  // A full round at most; the list may shrink while messages are pumped.
  for (std::size_t attempt = 0; attempt < Playlist.size(); ++attempt) {
    if (CurrentIndex < 0 || CurrentIndex >= static_cast<int>(Playlist.size())) return;
    const std::string path = Playlist[static_cast<std::size_t>(CurrentIndex)];
    HSONOCHANNEL created = 0;
    const bool url = IsStreamUrl(path);
    const bool module = !url && IsModuleFile(path);
    if (url) {
      // A close or a newer request that came during the open has the road.
      const auto opened = OpenStreamChannel(path);
      if (!opened) return;
      created = *opened;
    } else if (sv::FileExists(path)) {
      created = module ? SONO_MusicLoad(FALSE, path.c_str(), 0, 0, SONO_MUSIC_PRESCAN | SONO_MUSIC_STOPBACK, 0)
                       : SONO_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    }
    if (created) {
      Channel = created;
      Volume.Channel = created;
      SONO_ChannelSetSync(Channel, SONO_SYNC_END, 0, EndSyncProcedure(), nullptr);
      ApplyEqualizer(Volume);
      Volume.VolumeBar = static_cast<int>(ProgressBar2->Position());
      ApplyVolume(Volume, false);
      if (url) {
        ApplyStreamTitle(Channel, nullptr, false);
        SONO_ChannelSetSync(Channel, SONO_SYNC_META, 0, MetaSyncProcedure(), reinterpret_cast<void*>(1));
      } else if (module) {
        ShowModuleName(Channel);
      }
      if (SONO_ChannelGetLength(Channel) >= 0) ProgressBar1->SetEnabled(true);
      SONO_ChannelSetPosition(Channel, ProgressBar1->Position());
      // The song starts first: nothing shown may hold the sound back.
      SONO_ChannelPlay(Channel, FALSE);
      ListBox1->Invalidate();
      ListBox1->SetItemIndex(CurrentIndex);
      SetLabelTemps(true);
      TimerAvancement->Tag = 10;
      TimerAvancement->SetEnabled(true);
      SetPlayGlyph(true);
      if (ShowBubble) ShowBubbleIfHidden(TrayIcon1->Hint());
      forms::Application->ProcessMessages();
      if (ScrobblerEnabled && Scrobbler && SongInfo->Found)
        Scrobbler->ScheduleSubmission(SongInfo->Artist, SongInfo->Title, SongInfo->Album, "",
                                      static_cast<std::int32_t>(LengthSeconds));
      if (MsnNowPlaying) {
        if (SongInfo->Found)
          SendMsnNowPlaying(SongInfo->Artist, SongInfo->Album, SongInfo->Title, 1);
        else
          SendMsnNowPlaying(FormInfoBulle->Caption(), "", "", 1);
      }
      return;
    }
    const int next = CurrentIndex + 1 >= static_cast<int>(Playlist.size()) ? 0 : CurrentIndex + 1;
    ActiveFichier(next, 0, 100, 0);
    if (CurrentIndex == start) return;
  }
  // Back at the start: it is current again, and nothing plays.
  if (CurrentIndex != start && start < static_cast<int>(Playlist.size())) ActiveFichier(start, 0, 100, 0);
}

void TForm1::PauseFichier() {
  if (TimerAvancement) TimerAvancement->SetEnabled(false);
  TrayIcon1->Options().SetOffsetX(-12);
  SetLabelTemps(true);
  FreeChannel();
  SetPlayGlyph(false);
  if (MsnNowPlaying) SendMsnNowPlaying("", "", "", 0);
  if (ScrobblerEnabled && Scrobbler) Scrobbler->StopWaitingSubmission();
}

void TForm1::FreeChannel() {
  if (Channel) {
    SONO_StreamFree(Channel);
    SONO_MusicFree(Channel);
  }
  Channel = 0;
  // The effects went with the channel; their handles must not be reused.
  ChannelFreed(Volume);
}

void TForm1::DesactiveFichier(bool ClearCover) {
  PauseFichier();
  CurrentIndex = -1;
  if (SongInfo) SongInfo->Clear();
  if (ClearCover) HideCover();
  FormInfoBulle->SetCaption("Sorivanel");
  TrayIcon1->SetHint("Sorivanel");
  SetTransportEnabled(false);
  ProgressBar1->SetEnabled(false);
  LengthSeconds = 0;
  ElapsedSeconds = 0;
  LabelTemps->SetCaption(" 00:00");
  ProgressBar1->SetPosition(0);
  RepaintLists();
}

void TForm1::LecturePause() {
  if (CurrentIndex == -1) return;
  if (Channel && SONO_ChannelIsActive(Channel) == SONO_ACTIVE_PLAYING)
    PauseFichier();
  else
    LitFichier(true);
}

void TForm1::LecturePrevNext(bool Prev, bool Continue) {
  if (Playlist.empty()) return;
  RoadCall road(*this);
  bool play = true;
  const int count = static_cast<int>(Playlist.size());
  const bool restart = Prev && ElapsedSeconds >= 1.0f && CurrentIndex != -1;
  if (restart) {
    ActiveFichier(CurrentIndex, 0, 100, 0);
    LitFichier(true);
    return;
  }
  if (MenuShuffle->Checked) {
    RandomDraws draws;
    CurrentIndex = ShuffleChoose(ShuffleHistory, Playlist, CurrentIndex, Prev, std::ref(draws));
  } else if (Prev) {
    CurrentIndex = CurrentIndex - 1 < 0 ? count - 1 : CurrentIndex - 1;
  } else {
    CurrentIndex = CurrentIndex + 1;
    if (CurrentIndex >= count) {
      CurrentIndex = 0;
      play = Continue;
      if (!Continue && !FormShown && Flags.ShowBalloon)
        FormInfoBulle->Affiche("Sorivanel\r\n" + LangMessage(20));
    }
  }
  ActiveFichier(CurrentIndex, 0, 100, 0);
  if (play) LitFichier(true);
}

// The end of a song: stale notices (the user moved on meanwhile) are
// dropped; one that comes while the road is busy waits until it returns.
void TForm1::OnEndOfSong(HSONOCHANNEL channel) {
  if (channel == 0 || channel != Channel || Closed) return;
  if (RoadDepth > 0) {
    PendingEnd = channel;
    return;
  }
  LecturePrevNext(false, MenuLectureBoucle->Checked);
}

void TForm1::SpdBtnPlayClick(forms::TComponent* Sender) {
  if (Sender == SpdBtnPrev || Sender == MenuPrev)
    LecturePrevNext(true, true);
  else if (Sender == SpdBtnNext || Sender == MenuNext)
    LecturePrevNext(false, true);
  else
    LecturePause();
}

void TForm1::ListBox1DblClick(forms::TComponent*) {
  // A double click below the last entry must not stop the current song.
  const DWORD at = GetMessagePos();
  POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ScreenToClient(ListBox1->Handle(), &point);
  if (ListBox1->ItemAtPos(point.x, point.y) < 0) return;
  const int index = ListBox1->ItemIndex();
  if (index < 0) return;
  ActiveFichier(index, 0, 100, 0);
  LitFichier(false);
}

void TForm1::SetTransportEnabled(bool enabled) {
  for (forms::MenuEntry* item : {MenuPrev, MenuPlayPause, MenuNext}) item->Enabled = enabled;
  for (forms::SpeedButton* button : {SpdBtnPrev, SpdBtnPlay, SpdBtnNext}) button->SetEnabled(enabled);
}

}  // namespace player
