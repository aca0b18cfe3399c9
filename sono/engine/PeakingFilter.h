#pragma once
// A peaking equalizer band: one biquad section per audio channel (one or
// two). The bandwidth is given in semitones; the gain is exact at the centre
// frequency, and any centre strictly between 0 and the Nyquist frequency is
// accepted.
#include <cstddef>
#include <cstdint>

namespace sono {

struct EqParameters {
  float centre = 1000.0f;    // Hz
  float bandwidth = 12.0f;   // semitones
  float gain = 0.0f;         // dB, -15..+15
};

// Clamps the gain to -15..+15 dB and the bandwidth to a usable range; false
// when the centre is not strictly below the Nyquist frequency of the rate.
bool NormaliseEqParameters(EqParameters& parameters, uint32_t rate);

class PeakingFilter {
 public:
  explicit PeakingFilter(uint32_t rate) : rate_(rate) {}

  // Recomputes the coefficients; the filter memory is kept so that a change
  // while playing does not click.
  void Configure(const EqParameters& parameters);

 private:
  friend void ProcessCascade(PeakingFilter* const* filters, size_t count, uint32_t channels, int16_t* samples,
                             size_t frames, double gain);
  uint32_t rate_;
  // At 0 dB the section is exactly the identity, and is skipped.
  bool flat_ = true;
  // The transposed section rearranged so that its feedback path is one
  // product and one sum long:
  //   y = b0 x + s1,  s1' = d1 x + s2 - a1 s1,  s2' = d2 x - a2 s1.
  // In single precision the output stays within about a 16-bit step of the
  // double-precision section.
  float b0_ = 1, d1_ = 0, d2_ = 0, a1_ = 0, a2_ = 0;
  // Memory per audio channel.
  float s1_[2] = {0, 0};
  float s2_[2] = {0, 0};
};

// Runs the filters one after the other over interleaved 16-bit samples
// (frames × channels values, channels 1 or 2) in place, in a single pass,
// then scales by gain, rounding and saturating.
void ProcessCascade(PeakingFilter* const* filters, size_t count, uint32_t channels, int16_t* samples, size_t frames,
                    double gain = 1.0);

// Where the processor has AVX2 and FMA the cascade runs in those
// instructions; false keeps it on the code every processor runs, so tests
// cover both.
void AllowWideEqKernel(bool allow);

}  // namespace sono
