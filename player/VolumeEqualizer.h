#pragma once
// The user's volume and equalizer settings brought onto the audio engine:
// ApplyVolume after every change of the volume bar and for every new
// channel, ApplyEqualizer once for every new channel. Both work on the part
// of the main window's state they need, so the main window only calls them.
#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "player/Settings.h"
#include "sono/include/sono.h"

namespace player {

inline constexpr int kEqBandCount = 5;

struct EqBand {
  float Centre;     // Hz
  float Bandwidth;  // semitones
};

// Shared with the equalizer window, which changes single bands itself.
inline constexpr std::array<EqBand, kEqBandCount> kEqBands{{
    {80.0f, 11.4f},
    {298.57f, 11.4f},
    {1114.3f, 11.4f},
    {4158.73f, 11.4f},
    {15520.95f, 11.4f},
}};

inline constexpr float kEqGainLimit = 15.0f;  // dB either way
inline constexpr int kEqPriority = 1;

// The engine calls these routines make; the defaults are the library's own.
// Tests put recorders here.
struct AudioCalls {
  BOOL(WINAPI* SetVolume)(DWORD volume) = &SONO_SetVolume;
  BOOL(WINAPI* ChannelSetAttributes)(HSONOCHANNEL channel, int freq, int volume, int pan) = &SONO_ChannelSetAttributes;
  HSONOFX(WINAPI* ChannelSetFX)(HSONOCHANNEL channel, DWORD type, int priority) = &SONO_ChannelSetFX;
  BOOL(WINAPI* FXSetParameters)(HSONOFX fx, const void* parameters) = &SONO_FXSetParameters;
  BOOL(WINAPI* ChannelRemoveFX)(HSONOCHANNEL channel, HSONOFX fx) = &SONO_ChannelRemoveFX;
};

// What of the main window the volume and equalizer touch.
struct TVolumeState {
  HSONOCHANNEL Channel = 0;  // 0: none
  std::array<float, kEqBandCount> EqGain{};  // dB; 0 switches the band off
  std::array<HSONOFX, kEqBandCount> EqFx{};  // 0: the band has no effect
  SONO_PARAMEQ EqParam{};                    // reused for every band
  int VolumeBar = 100;                       // the volume bar's position
  bool GlobalVolume = true;  // the bar sets the program's output level, not the channel's

  // The volume balloon: shown only while the main window is hidden.
  std::function<bool()> MainWindowVisible;
  std::function<void(std::string_view Title, std::string_view Text, int IconType, std::uint16_t TimeoutMs)> ShowBalloon;

  AudioCalls Audio;
};

// The level for a bar position 0..100: round((v / 10)^2 + 0.4), exactly.
int VolumeLevel(int barPosition);

void ApplyVolume(TVolumeState& state, bool ShowBalloon);
// For a new channel: forgets the handles of the previous one, then adds one
// effect for every band whose gain is not 0.
void ApplyEqualizer(TVolumeState& state);

// Switching the system-wide volume off puts the program's output level back
// to 100 first, so the old global level never multiplies the channel's.
void SetGlobalVolume(TVolumeState& state, bool on);

// After the channel is freed no effect handle of it stays behind.
void ChannelFreed(TVolumeState& state);

// The equalizer window's sliders run from -150 to 150 tenths of a dB, top
// to bottom: a press at y in a bar `height` pixels high gives
// -trunc(y / height * 301 - 150), kept within that range (0 for a bar
// without height).
inline constexpr int kEqSliderLimit = 150;
int EqSliderPosition(int y, int height);

// One band (0-based) set from a slider position: its gain is position / 10
// dB. On a channel the band's effect is created, updated, or removed at
// gain 0; without one only the gain changes.
void SetEqBand(TVolumeState& state, int band, int position);

// Gains as the settings file holds them, clamped to -15..+15 dB; a value that
// is not a number switches the band off.
void SetEqGains(TVolumeState& state, const EqGains& gains);

}  // namespace player
