#include "player/VolumeEqualizer.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace player {

namespace {

constexpr int kUnchangedFrequency = -1;
constexpr int kUnchangedPan = -101;
constexpr int kFullVolume = 100;
constexpr std::uint16_t kBalloonMs = 500;

}  // namespace

int VolumeLevel(int barPosition) {
  const int v = std::clamp(barPosition, 0, 100);
  // (v/10)^2 + 0.4 = (v^2 + 40) / 100; rounding adds 50. No value falls on
  // a tie, so integer division matches the rounded real value.
  return (v * v + 90) / 100;
}

void ApplyVolume(TVolumeState& state, bool ShowBalloon) {
  state.VolumeBar = std::clamp(state.VolumeBar, 0, 100);
  const int level = VolumeLevel(state.VolumeBar);
  if (state.GlobalVolume) {
    state.Audio.SetVolume(static_cast<DWORD>(level));
    if (state.Channel != 0)
      state.Audio.ChannelSetAttributes(state.Channel, kUnchangedFrequency, kFullVolume, kUnchangedPan);
  } else if (state.Channel != 0) {
    state.Audio.ChannelSetAttributes(state.Channel, kUnchangedFrequency, level, kUnchangedPan);
  }
  if (ShowBalloon && state.ShowBalloon && !(state.MainWindowVisible && state.MainWindowVisible())) {
    state.ShowBalloon("", "Volume " + std::to_string(state.VolumeBar) + "%", 0, kBalloonMs);
  }
}

void ApplyEqualizer(TVolumeState& state) {
  state.EqFx.fill(0);
  if (state.Channel == 0) return;
  for (int band = 0; band < kEqBandCount; ++band) {
    if (state.EqGain[band] == 0.0f) continue;
    state.EqFx[band] = state.Audio.ChannelSetFX(state.Channel, SONO_FX_PARAMEQ, kEqPriority);
    state.EqParam.fBandwidth = kEqBands[band].Bandwidth;
    state.EqParam.fGain = state.EqGain[band];
    state.EqParam.fCenter = kEqBands[band].Centre;
    state.Audio.FXSetParameters(state.EqFx[band], &state.EqParam);
  }
}

void SetGlobalVolume(TVolumeState& state, bool on) {
  if (state.GlobalVolume && !on) state.Audio.SetVolume(kFullVolume);
  state.GlobalVolume = on;
  ApplyVolume(state, false);
}

void ChannelFreed(TVolumeState& state) {
  state.Channel = 0;
  state.EqFx.fill(0);
}

void SetEqGains(TVolumeState& state, const EqGains& gains) {
  for (int band = 0; band < kEqBandCount; ++band) {
    const double gain = gains[band];
    state.EqGain[band] = std::isnan(gain) ? 0.0f : static_cast<float>(std::clamp<double>(gain, -kEqGainLimit, kEqGainLimit));
  }
}

}  // namespace player
