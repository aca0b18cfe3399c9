#pragma once
// The system's output devices through waveOut: one waveOut stream per
// playing channel at the channel's own rate and channel count.
#include <memory>
#include <optional>
#include <string>

#include "sono/engine/OutputDevice.h"

namespace sono::win32 {

// The number of system output devices (the library's devices 1..N).
unsigned WaveOutDeviceCount();
// The name of system device index (0-based), nullopt past the last.
std::optional<std::string> WaveOutDeviceName(unsigned index);
// index is 0-based, or WAVE_MAPPER for the system default. Null when the
// device does not take 44.1 kHz 16-bit stereo, the format nearly every
// file has.
std::unique_ptr<OutputDevice> MakeWaveOutDevice(unsigned index, std::string description);

}  // namespace sono::win32
