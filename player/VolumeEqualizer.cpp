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

int EqSliderPosition(int y, int height) {
  if (height <= 0) return 0;
  const double raw = static_cast<double>(y) / height * 301.0 - 150.0;
  const double limited = std::clamp(raw, -1000.0, 1000.0);
  return std::clamp(-static_cast<int>(std::trunc(limited)), -kEqSliderLimit, kEqSliderLimit);
}

void SetEqBand(TVolumeState& state, int band, int position) {
  if (band < 0 || band >= kEqBandCount) return;
  const float gain = static_cast<float>(std::clamp(position, -kEqSliderLimit, kEqSliderLimit)) / 10.0f;
  state.EqGain[band] = gain;
  if (state.Channel == 0) return;
  HSONOFX& fx = state.EqFx[band];
  if (gain == 0.0f) {
    if (fx != 0) state.Audio.ChannelRemoveFX(state.Channel, fx);
    fx = 0;
    return;
  }
  if (fx == 0) fx = state.Audio.ChannelSetFX(state.Channel, SONO_FX_PARAMEQ, kEqPriority);
  // The band's own centre and bandwidth every time, never read back: the
  // engine keeps its defaults (1 kHz) for a centre the channel's rate
  // cannot carry, and the high bands would then move 1 kHz instead.
  state.EqParam.fBandwidth = kEqBands[band].Bandwidth;
  state.EqParam.fCenter = kEqBands[band].Centre;
  state.EqParam.fGain = gain;
  state.Audio.FXSetParameters(fx, &state.EqParam);
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
