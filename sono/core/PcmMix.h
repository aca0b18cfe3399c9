#pragma once
// Channel-count conversion shared by the decoders: the engine takes mono or
// stereo only, and a decoder's channel count never changes mid-stream.
#include <cstddef>
#include <cstdint>

namespace sono {

// How a format orders the speakers of a multichannel frame.
enum class ChannelOrder {
  Wave,    // front left, front right, centre, low-frequency, surrounds...
  Vorbis,  // front left, centre, front right, surrounds..., low-frequency last
};

// Converts frames of inChannels interleaved samples into outChannels (1 or
// 2). More than two channels fold down to stereo by speaker position (the
// low-frequency channel left out), scaled so a signal common to all keeps
// its level. in and out may be the same buffer.
void ConvertChannels(const int16_t* in, unsigned inChannels, int16_t* out, unsigned outChannels,
                     size_t frames, ChannelOrder order = ChannelOrder::Wave);

}  // namespace sono
