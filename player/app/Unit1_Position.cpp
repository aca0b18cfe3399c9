// Position of the playing song: the time label, the seek and volume bars and
// the hot keys.
#include <algorithm>
#include <cmath>

#include "player/PositionBars.h"
#include "player/TimeLabel.h"
#include "player/app/Unit1.h"

namespace player {

void TForm1::SetLabelTemps(bool Refresh) {
  if (!ProgressBar1->Enabled()) return;
  if (Channel) {
    if (Refresh) ProgressBar1->SetPosition(SONO_ChannelGetPosition(Channel));
    ElapsedSeconds = SONO_ChannelBytes2Seconds(Channel, SONO_ChannelGetPosition(Channel));
  } else {
    const auto max = ProgressBar1->Max();
    ElapsedSeconds = max > 0 ? static_cast<float>(static_cast<double>(ProgressBar1->Position()) / max * LengthSeconds)
                             : 0.0f;
  }
  const int mode = LabelTemps->Tag >= 0 && LabelTemps->Tag <= 2 ? LabelTemps->Tag : 0;
  LabelTemps->SetCaption(TimeLabelText(static_cast<TimeMode>(mode), ElapsedSeconds, LengthSeconds));
}

void TForm1::TimerAvancementTimer(desktop::TSimpleTimer* Sender) {
  if (Sender->Tag >= 5) {
    Sender->Tag = 0;
    SetLabelTemps(true);
  }
  ++Sender->Tag;
  auto& options = TrayIcon1->Options();
  if (Flags.AnimateTrayIcon) {
    const int offset = options.OffsetX() + 1;
    options.SetOffsetX(offset > 10 ? -12 : offset);
  } else if (options.OffsetX() != -12) {
    options.SetOffsetX(-12);
  }
}

// A stream of unknown length has a disabled bar: it never moves.
void TForm1::MoveBy(float seconds) {
  if (!ProgressBar1->Enabled()) return;
  std::int64_t step = 0;
  if (Channel) {
    step = SONO_ChannelSeconds2Bytes(Channel, std::abs(seconds));
  } else if (const auto bytes = JumpBytes(ProgressBar1->Max(), LengthSeconds, std::abs(seconds))) {
    step = *bytes;
  } else {
    return;
  }
  ProgressBar1->SetPosition(ProgressBar1->Position() + (seconds < 0 ? -step : step));
  if (Channel) SONO_ChannelSetPosition(Channel, ProgressBar1->Position());
  SetLabelTemps(false);
}

// A press goes on as a move with the same state and place.
void TForm1::ProgressBar1MouseDown(forms::TComponent* Sender, forms::MouseButton, forms::ShiftState Shift, int X,
                                   int Y) {
  ProgressBar1MouseMove(Sender, Shift, X, Y);
}

void TForm1::ProgressBar1MouseMove(forms::TComponent*, forms::ShiftState Shift, int X, int) {
  if (!(Shift & forms::kLeftButton) || !ProgressBar1->Enabled()) return;
  const auto position = BarValueAt(ProgressBar1->Max(), X, ProgressBar1->Width());
  if (!position) return;
  ProgressBar1->SetPosition(*position);
  if (Channel) SONO_ChannelSetPosition(Channel, ProgressBar1->Position());
  SetLabelTemps(false);
}

void TForm1::ProgressBar2MouseDown(forms::TComponent* Sender, forms::MouseButton, forms::ShiftState Shift, int X,
                                   int Y) {
  ProgressBar2MouseMove(Sender, Shift, X, Y);
}

void TForm1::ProgressBar2MouseMove(forms::TComponent*, forms::ShiftState Shift, int X, int) {
  if (!(Shift & forms::kLeftButton)) return;
  const auto volume = BarValueAt(100, X, ProgressBar2->Width());
  if (!volume) return;
  ProgressBar2->SetPosition(*volume);
  Volume.VolumeBar = static_cast<int>(ProgressBar2->Position());
  ApplyVolume(Volume, false);
}

void TForm1::LabelTempsMouseDown(forms::TComponent*, forms::MouseButton, forms::ShiftState, int, int) {
  LabelTemps->Tag = static_cast<int>(NextTimeMode(LabelTemps->Tag));
  SetLabelTemps(false);
}

void TForm1::HotKeyManager1HotKeyPressed(std::uint32_t, std::uint16_t Index) {
  if (Index == 0) return;
  if (Index == HotKeyPlay) {
    Request(RequestKind::Transport, [this] { LecturePause(); });
  } else if (Index == HotKeyNext) {
    Request(RequestKind::Transport, [this] { LecturePrevNext(false, true); });
  } else if (Index == HotKeyPrev) {
    Request(RequestKind::Transport, [this] { LecturePrevNext(true, true); });
  } else if (Index == HotKeyVolUp || Index == HotKeyVolDwn) {
    const int step = Index == HotKeyVolUp ? 3 : -3;
    ProgressBar2->SetPosition(std::clamp<std::int64_t>(ProgressBar2->Position() + step, 0, 100));
    Volume.VolumeBar = static_cast<int>(ProgressBar2->Position());
    ApplyVolume(Volume, true);
  } else if (Index == HotKeyShowHide) {
    MenuAfficher->Click();
  } else if (Index == HotKeyAvancerRapide) {
    MoveBy(5.0f);
  } else if (Index == HotKeyReculerRapide) {
    MoveBy(-5.0f);
  }
}

}  // namespace player
