#pragma once
// Sample-rate conversion for decoders whose stream changes rate on the way
// (the links of an Ogg chain), so that every part plays at its own speed and
// pitch at the one rate the decoder gives out. Output frame j stands at input
// time j x inRate / outRate, kept as an exact fraction: lengths and seek
// targets are whole numbers that never drift.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sono {

class RateConverter {
 public:
  // channels (1 to 8): of both input and output; the caller converts the
  // count first.
  RateConverter(uint32_t inRate, uint32_t outRate, unsigned channels);

  // Output frames that inFrames input frames make.
  static uint64_t OutputFrames(uint64_t inFrames, uint32_t inRate, uint32_t outRate);

  uint32_t InRate() const { return inRate_; }

  // Starts over at output frame `frame`: drops what was pushed and returns
  // the input frame that the next Push must begin with.
  uint64_t Restart(uint64_t frame);

  void Push(const int16_t* in, size_t frames);

  // Writes up to maxFrames frames. Until `ended` the last frames wait for
  // the input that follows them; once it is set (no more input comes), the
  // rest is made with silence beyond the input's end, up to the output
  // frame that stands at that end.
  size_t Pull(int16_t* out, size_t maxFrames, bool ended);

 private:
  float Kernel(double distance) const;
  float Sample(uint64_t frame, unsigned channel) const;

  uint32_t inRate_;
  uint32_t outRate_;
  unsigned channels_;
  int halfWidth_ = 0;   // input frames on each side of an output frame
  std::vector<float> table_;  // the kernel from distance 0 up, kPhases steps per frame
  std::vector<int16_t> input_;
  uint64_t base_ = 0;   // the input frame that input_ starts with
  uint64_t next_ = 0;   // the next output frame
};

}  // namespace sono
