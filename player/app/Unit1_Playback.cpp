// The playback road: every request to play ends here.
#include "base/TextFile.h"
#include "forms/Application.h"
#include "forms/Wide.h"
#include "net/win32/Scrobbler.h"
#include "player/Extensions.h"
#include "player/Shuffle.h"
#include "player/app/StationOpens.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"

namespace player {

SONO_SYNCPROC* EndSyncProcedure();
SONO_SYNCPROC* MetaSyncProcedure();

int RandomIndex(int count) { return RandomDraws()(count); }

void TForm1::ActiveFichier(int Index, std::int64_t Position, std::int64_t, float) {
  // The cover lets messages run: what plays or edits the list waits.
  Work change(*this, WorkKind::SongChange);
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
  // A newer request to play: an open still under way is not wanted.
  PlayChanges();
  // A channel that ended but whose end was not handled yet (or that stalled)
  // is still set: it goes before another is made, or its decoder and file
  // would stay open for good.
  FreeChannel();
  WalkFrom(CurrentIndex, CurrentIndex, ShowBubble);
}

// An entry that cannot be played is skipped without being made current: no
// song information, cover, repaint or tray hint for it. Only the one that
// plays, or the start after a full round, is made current.
void TForm1::WalkFrom(int start, int candidate, bool showBubble) {
  const auto count = static_cast<int>(Playlist.size());
  if (start < 0 || start >= count) return;
  for (int attempt = 0; attempt < count; ++attempt) {
    if (candidate < 0 || candidate >= count) candidate = 0;
    const std::string path = Playlist[static_cast<std::size_t>(candidate)];
    if (IsStreamUrl(path)) {
      if (candidate != CurrentIndex) ActiveFichier(candidate, 0, 100, 0);
      if (Closed || CurrentIndex != candidate) return;
      PendingStation = StationWalk{Stations->Start(path), PlaySerial, start, candidate, showBubble};
      return;
    }
    HSONOCHANNEL created = 0;
    if (sv::FileExists(path)) {
      created = IsModuleFile(path)
                    ? SONO_MusicLoad(FALSE, path.c_str(), 0, 0, SONO_MUSIC_PRESCAN | SONO_MUSIC_STOPBACK, 0)
                    : SONO_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    }
    if (created) {
      if (candidate != CurrentIndex) ActiveFichier(candidate, 0, 100, 0);
      // The song change let messages run: another request may have the road.
      const bool still = !Closed && CurrentIndex == candidate && candidate < static_cast<int>(Playlist.size()) &&
                         Playlist[static_cast<std::size_t>(candidate)] == path && Channel == 0;
      if (!still) {
        SONO_StreamFree(created);
        SONO_MusicFree(created);
        return;
      }
      StartChannel(created, showBubble);
      return;
    }
    candidate = candidate + 1 >= count ? 0 : candidate + 1;
    if (candidate == start) break;
  }
  // Back at the start: it is current again, and nothing plays.
  if (CurrentIndex != start && start < static_cast<int>(Playlist.size())) ActiveFichier(start, 0, 100, 0);
}

void TForm1::StartChannel(HSONOCHANNEL created, bool showBubble) {
  Work change(*this, WorkKind::SongChange);
  const std::string path = Playlist[static_cast<std::size_t>(CurrentIndex)];
  const bool url = IsStreamUrl(path);
  Channel = created;
  Volume.Channel = created;
  SONO_ChannelSetSync(Channel, SONO_SYNC_END, 0, EndSyncProcedure(), nullptr);
  ApplyEqualizer(Volume);
  Volume.VolumeBar = static_cast<int>(ProgressBar2->Position());
  ApplyVolume(Volume, false);
  if (url) {
    ApplyStreamTitle(Channel, nullptr, false);
    SONO_ChannelSetSync(Channel, SONO_SYNC_META, 0, MetaSyncProcedure(), reinterpret_cast<void*>(1));
  } else if (IsModuleFile(path)) {
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
  if (showBubble) ShowBubbleIfHidden(TrayIcon1->Hint());
  forms::Application->ProcessMessages();
  if (Closed) return;
  if (ScrobblerEnabled && Scrobbler && SongInfo->Found)
    Scrobbler->ScheduleSubmission(SongInfo->Artist, SongInfo->Title, SongInfo->Album, "",
                                  static_cast<std::int32_t>(LengthSeconds));
  if (MsnNowPlaying) {
    if (SongInfo->Found)
      SendMsnNowPlaying(SongInfo->Artist, SongInfo->Album, SongInfo->Title, 1);
    else
      SendMsnNowPlaying(FormInfoBulle->Caption(), "", "", 1);
  }
}

// A station's open has ended. Its channel plays when no request changed
// what plays meanwhile (a repaint, a tag save or a list edit changes
// nothing that plays); a station that failed is skipped as a missing file
// is, when the table lets the walk go on.
void TForm1::OnStationOpened(std::uint32_t ticket) {
  if (!Stations) return;
  const StationOpens::Outcome outcome = Stations->Finish(ticket);
  if (!outcome.Wanted || !PendingStation || PendingStation->Ticket != ticket) {
    if (outcome.Channel) SONO_StreamFree(outcome.Channel);
    return;
  }
  const StationWalk walk = *PendingStation;
  PendingStation.reset();
  const bool current = !Closed && walk.Serial == PlaySerial && CurrentIndex == walk.Index && Channel == 0;
  if (!current) {
    if (outcome.Channel) SONO_StreamFree(outcome.Channel);
    return;
  }
  if (outcome.Channel) {
    StartChannel(outcome.Channel, walk.ShowBubble);
    return;
  }
  Request(RequestKind::StationFailed, [this, walk] {
    if (walk.Serial != PlaySerial || CurrentIndex != walk.Index || Channel != 0) return;
    const auto count = static_cast<int>(Playlist.size());
    const int next = walk.Index + 1 >= count ? 0 : walk.Index + 1;
    if (next == walk.Start) {
      if (CurrentIndex != walk.Start) ActiveFichier(walk.Start, 0, 100, 0);
      return;
    }
    WalkFrom(walk.Start, next, walk.ShowBubble);
  });
}

void TForm1::PlayChanges() {
  ++PlaySerial;
  PendingStation.reset();
  if (Stations) Stations->CancelAll();
}

void TForm1::PauseFichier() {
  // Every stop changes what plays: a station's open under way is not wanted.
  PlayChanges();
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
// dropped, also when the end had to wait for work under way.
void TForm1::OnEndOfSong(HSONOCHANNEL channel) {
  if (channel == 0 || channel != Channel || Closed) return;
  Request(RequestKind::EndOfSong, [this, channel] {
    if (channel == Channel) LecturePrevNext(false, MenuLectureBoucle->Checked);
  });
}

void TForm1::SpdBtnPlayClick(forms::TComponent* Sender) {
  const bool prev = Sender == SpdBtnPrev || Sender == MenuPrev, next = Sender == SpdBtnNext || Sender == MenuNext;
  Request(RequestKind::Transport, [this, prev, next] {
    if (prev)
      LecturePrevNext(true, true);
    else if (next)
      LecturePrevNext(false, true);
    else
      LecturePause();
  });
}

void TForm1::ListBox1DblClick(forms::TComponent*) {
  // A double click below the last entry must not stop the current song.
  const DWORD at = GetMessagePos();
  POINT point{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  ScreenToClient(ListBox1->Handle(), &point);
  if (ListBox1->ItemAtPos(point.x, point.y) < 0) return;
  Request(RequestKind::ListCommand, [this] {
    const int index = ListBox1->ItemIndex();
    if (index < 0) return;
    ActiveFichier(index, 0, 100, 0);
    LitFichier(false);
  });
}

void TForm1::SetTransportEnabled(bool enabled) {
  for (forms::MenuEntry* item : {MenuPrev, MenuPlayPause, MenuNext}) item->Enabled = enabled;
  for (forms::SpeedButton* button : {SpdBtnPrev, SpdBtnPlay, SpdBtnNext}) button->SetEnabled(enabled);
}

}  // namespace player
