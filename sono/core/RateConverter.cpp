#include "sono/core/RateConverter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sono {
namespace {

// A windowed sinc: this many zero crossings on each side, sampled this
// finely (and interpolated between), cut a little below the lower of the
// two Nyquist rates so that nothing folds back.
constexpr int kZeroCrossings = 16;
constexpr int kPhases = 256;
constexpr double kCutoff = 0.92;

// The input frame at or before output frame `frame`, and the remainder
// (over outRate) that tells how far past it the output stands.
uint64_t InputAt(uint64_t frame, uint32_t inRate, uint32_t outRate, uint64_t* remainder = nullptr) {
  const uint64_t whole = frame / outRate;
  const uint64_t part = frame % outRate * inRate;
  if (remainder) *remainder = part % outRate;
  return whole * inRate + part / outRate;
}

}  // namespace

RateConverter::RateConverter(uint32_t inRate, uint32_t outRate, unsigned channels)
    : inRate_(inRate), outRate_(outRate), channels_(channels) {
  if (inRate_ == outRate_) return;
  const double cutoff = kCutoff * std::min(1.0, static_cast<double>(outRate_) / inRate_);
  halfWidth_ = static_cast<int>(std::ceil(kZeroCrossings / cutoff));
  table_.resize(static_cast<size_t>(halfWidth_) * kPhases + 2);
  for (size_t i = 0; i < table_.size(); ++i) {
    const double x = static_cast<double>(i) / kPhases;
    if (x >= halfWidth_) break;
    const double arg = std::numbers::pi * cutoff * x;
    const double sinc = i == 0 ? 1.0 : std::sin(arg) / arg;
    const double u = std::numbers::pi * x / halfWidth_;
    const double window = 0.42 + 0.5 * std::cos(u) + 0.08 * std::cos(2 * u);  // Blackman
    table_[i] = static_cast<float>(cutoff * sinc * window);
  }
}

uint64_t RateConverter::OutputFrames(uint64_t inFrames, uint32_t inRate, uint32_t outRate) {
  if (inRate == 0) return 0;
  const uint64_t part = inFrames % inRate * outRate;
  return inFrames / inRate * outRate + (part + inRate - 1) / inRate;
}

uint64_t RateConverter::Restart(uint64_t frame) {
  input_.clear();
  next_ = frame;
  const uint64_t at = InputAt(frame, inRate_, outRate_);
  const auto reach = static_cast<uint64_t>(std::max(halfWidth_ - 1, 0));
  base_ = at > reach ? at - reach : 0;
  return base_;
}

void RateConverter::Push(const int16_t* in, size_t frames) { input_.insert(input_.end(), in, in + frames * channels_); }

float RateConverter::Kernel(double distance) const {
  const double at = distance * kPhases;
  const auto i = static_cast<size_t>(at);
  if (i + 1 >= table_.size()) return 0.0f;
  const auto f = static_cast<float>(at - static_cast<double>(i));
  return table_[i] + (table_[i + 1] - table_[i]) * f;
}

float RateConverter::Sample(uint64_t frame, unsigned channel) const {
  if (frame < base_) return 0.0f;
  const uint64_t i = (frame - base_) * channels_ + channel;
  return i < input_.size() ? input_[i] : 0.0f;
}

size_t RateConverter::Pull(int16_t* out, size_t maxFrames, bool ended) {
  const uint64_t end = base_ + input_.size() / channels_;
  size_t written = 0;
  if (halfWidth_ == 0) {
    written = static_cast<size_t>(std::min<uint64_t>(maxFrames, end - next_));
    std::copy_n(input_.begin(), written * channels_, out);
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(written * channels_));
    next_ += written;
    base_ = next_;
    return written;
  }
  float acc[8];
  for (; written < maxFrames; ++written, ++next_) {
    uint64_t remainder = 0;
    const uint64_t centre = InputAt(next_, inRate_, outRate_, &remainder);
    if (ended ? centre >= end : centre + static_cast<uint64_t>(halfWidth_) >= end) break;
    const double fraction = static_cast<double>(remainder) / outRate_;
    std::fill(acc, acc + channels_, 0.0f);
    for (int k = 1 - halfWidth_; k <= halfWidth_; ++k) {
      if (k < 0 && centre < static_cast<uint64_t>(-k)) continue;  // before the start: silence
      const float weight = Kernel(std::abs(k - fraction));
      const uint64_t frame = centre + static_cast<uint64_t>(static_cast<int64_t>(k));
      for (unsigned c = 0; c < channels_; ++c) acc[c] += weight * Sample(frame, c);
    }
    for (unsigned c = 0; c < channels_; ++c) {
      out[written * channels_ + c] = static_cast<int16_t>(std::lrint(std::clamp(acc[c], -32768.0f, 32767.0f)));
    }
  }
  // Frames no later output reaches are let go.
  const uint64_t centre = InputAt(next_, inRate_, outRate_);
  const uint64_t keep = centre >= static_cast<uint64_t>(halfWidth_ - 1) ? centre - (halfWidth_ - 1) : 0;
  if (keep > base_) {
    const uint64_t drop = std::min(keep, end) - base_;
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(drop * channels_));
    base_ += drop;
  }
  return written;
}

}  // namespace sono
