#include "sono/core/PcmMix.h"

#include <array>
#include <cmath>

namespace sono {
namespace {

enum Speaker { L, R, C, Lfe, Ls, Rs, Cs };

// Left and right weights of each speaker.
constexpr float kWeights[][2] = {
    {1.0f, 0.0f},        // L
    {0.0f, 1.0f},        // R
    {0.7071f, 0.7071f},  // C
    {0.0f, 0.0f},        // Lfe
    {0.7071f, 0.0f},     // Ls
    {0.0f, 0.7071f},     // Rs
    {0.5f, 0.5f},        // Cs
};

// Speaker layouts for 3 to 8 channels.
constexpr std::array<Speaker, 8> kWaveLayouts[] = {
    {L, R, C}, {L, R, Ls, Rs}, {L, R, C, Ls, Rs}, {L, R, C, Lfe, Ls, Rs},
    {L, R, C, Lfe, Cs, Ls, Rs}, {L, R, C, Lfe, Ls, Rs, Ls, Rs},
};
constexpr std::array<Speaker, 8> kVorbisLayouts[] = {
    {L, C, R}, {L, R, Ls, Rs}, {L, C, R, Ls, Rs}, {L, C, R, Ls, Rs, Lfe},
    {L, C, R, Ls, Rs, Cs, Lfe}, {L, C, R, Ls, Rs, Ls, Rs, Lfe},
};

Speaker SpeakerOf(unsigned channel, unsigned channels, ChannelOrder order) {
  if (channels >= 3 && channels <= 8) {
    return (order == ChannelOrder::Vorbis ? kVorbisLayouts : kWaveLayouts)[channels - 3][channel];
  }
  return channel % 2 == 0 ? Ls : Rs;  // no known layout: alternate sides
}

void DownmixToStereo(const int16_t* in, unsigned inChannels, int16_t* out, size_t frames,
                     ChannelOrder order) {
  float weights[2][64];
  float totals[2] = {0, 0};
  const unsigned counted = inChannels < 64 ? inChannels : 64;
  for (unsigned c = 0; c < counted; ++c) {
    const Speaker speaker = SpeakerOf(c, inChannels, order);
    for (unsigned side = 0; side < 2; ++side) {
      weights[side][c] = kWeights[speaker][side];
      totals[side] += kWeights[speaker][side];
    }
  }
  for (unsigned side = 0; side < 2; ++side) {
    for (unsigned c = 0; c < counted; ++c) weights[side][c] /= totals[side] > 0 ? totals[side] : 1.0f;
  }
  for (size_t f = 0; f < frames; ++f) {
    const int16_t* frame = in + f * inChannels;
    float mixed[2] = {0, 0};
    for (unsigned c = 0; c < counted; ++c) {
      mixed[0] += weights[0][c] * frame[c];
      mixed[1] += weights[1][c] * frame[c];
    }
    // Weights sum to one per side, so the mix stays within range.
    out[f * 2] = static_cast<int16_t>(std::lrint(mixed[0]));
    out[f * 2 + 1] = static_cast<int16_t>(std::lrint(mixed[1]));
  }
}

}  // namespace

void ConvertChannels(const int16_t* in, unsigned inChannels, int16_t* out, unsigned outChannels,
                     size_t frames, ChannelOrder order) {
  if (inChannels == 0 || outChannels == 0) return;
  if (inChannels == outChannels) {
    if (in != out) {
      for (size_t i = 0; i < frames * inChannels; ++i) out[i] = in[i];
    }
    return;
  }
  if (inChannels == 1) {
    // Growing runs backwards so that it can convert in place.
    for (size_t f = frames; f-- > 0;) {
      const int16_t value = in[f];
      for (unsigned c = outChannels; c-- > 0;) out[f * outChannels + c] = value;
    }
    return;
  }
  if (outChannels == 1) {
    for (size_t f = 0; f < frames; ++f) {
      int32_t sum = 0;
      for (unsigned c = 0; c < inChannels; ++c) sum += in[f * inChannels + c];
      out[f] = static_cast<int16_t>(sum / static_cast<int32_t>(inChannels));
    }
    return;
  }
  DownmixToStereo(in, inChannels, out, frames, order);
}

}  // namespace sono
