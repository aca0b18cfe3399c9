#include "sono/engine/PeakingFilter.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace sono {

namespace {

// Two bands side by side, each with both audio channels: lanes {left,
// right} of one band, then of the next.
using Quad = float __attribute__((vector_size(16)));
using QuadMask = int32_t __attribute__((vector_size(16)));

struct Pass {
  Quad b0, d1, d2, a1, a2, s1, s2;
};

// One step of every band, two bands per vector. The bands run skewed: in
// step i band f filters frame i - f, so its input is what band f - 1 gave
// in the step before, still in a register, and the bands' recursions are
// independent within a step. Only the lanes set in active keep their new
// memory (filling and draining the skew).
template <size_t V, bool kMasked>
[[gnu::always_inline]] inline void Step(Pass* passes, Quad (&y)[V], Quad frame, const QuadMask* active) {
  Quad v[V];
  v[0] = __builtin_shufflevector(frame, y[0], 0, 1, 4, 5);
  // Unrolled even at -O2, so that every section stays in registers.
#pragma GCC unroll 3
  for (size_t k = 1; k < V; ++k) v[k] = __builtin_shufflevector(y[k - 1], y[k], 2, 3, 4, 5);
#pragma GCC unroll 3
  for (size_t k = 0; k < V; ++k) {
    Pass& p = passes[k];
    y[k] = p.b0 * v[k] + p.s1;
    const Quad s1 = (p.d1 * v[k] + p.s2) - p.a1 * p.s1;
    const Quad s2 = p.d2 * v[k] - p.a2 * p.s1;
    if constexpr (kMasked) {
      p.s1 = active[k] ? s1 : p.s1;
      p.s2 = active[k] ? s2 : p.s2;
    } else {
      p.s1 = s1;
      p.s2 = s2;
    }
  }
}

// Runs `bands` filters (2V - 1 or 2V) over interleaved frames of two floats,
// in place.
template <size_t V>
[[gnu::always_inline]] inline void Cascade(float* frames, size_t count, size_t bands, float* memory) {
  // A local copy, which the compiler can keep in registers (the frames'
  // stores might otherwise alias it), and aligned as vectors need, which
  // heap blocks of the 32-bit build are not.
  Pass passes[V];
  std::memcpy(passes, memory, sizeof passes);
  Quad y[V] = {};
  const size_t last = bands - 1;
  const int outLane = static_cast<int>(last % 2) * 2;
  auto input = [&](size_t step) __attribute__((always_inline)) {
    return step < count ? Quad{frames[2 * step], frames[2 * step + 1], 0, 0} : Quad{};
  };
  auto output = [&](size_t step) __attribute__((always_inline)) {
    if (step < last || step - last >= count) return;
    frames[2 * (step - last)] = y[V - 1][outLane];
    frames[2 * (step - last) + 1] = y[V - 1][outLane + 1];
  };
  auto partial = [&](size_t step) __attribute__((always_inline)) {
    QuadMask active[V];
    for (size_t k = 0; k < V; ++k) {
      const auto on = [&](size_t f) __attribute__((always_inline)) { return step >= f && step - f < count ? -1 : 0; };
      active[k] = QuadMask{on(2 * k), on(2 * k), on(2 * k + 1), on(2 * k + 1)};
    }
    Step<V, true>(passes, y, input(step), active);
    output(step);
  };
  const size_t steps = count + last;
  size_t i = 0;
  for (; i < std::min(last, steps); ++i) partial(i);
  for (; i < count; ++i) {
    Step<V, false>(passes, y, Quad{frames[2 * i], frames[2 * i + 1], 0, 0}, nullptr);
    frames[2 * (i - last)] = y[V - 1][outLane];
    frames[2 * (i - last) + 1] = y[V - 1][outLane + 1];
  }
  for (; i < steps; ++i) partial(i);
  std::memcpy(memory, passes, sizeof passes);
}

constexpr size_t kMostPerPass = 6;
// A pass's sections as plain numbers: per section the lanes of b0, d1, d2,
// a1, a2, s1 and s2, as in Pass.
struct PassGroup {
  float lanes[kMostPerPass / 2][7][4];
};
static_assert(sizeof(Pass) == sizeof(PassGroup::lanes[0]));

// Memory this small is far below one 16-bit step; letting it decay on
// would only reach the slow subnormal range.
float Flushed(float value) { return std::fabs(value) < 1e-20f ? 0.0f : value; }

// Scales, rounds half away from zero and saturates, four values at a time
// in plain vector operations (no branches, no library calls), which cost
// less than a band.
[[gnu::always_inline]] inline void ToPcm(const float* work, size_t frames, bool stereo, float gain, int16_t* samples) {
  const size_t values = stereo ? frames * 2 : frames;
  auto convert = [&](Quad v, int16_t * out, size_t n) __attribute__((always_inline)) {
    v *= gain;
    v = v < -32768.0f ? Quad{} - 32768.0f : v;
    v = v > 32767.0f ? Quad{} + 32767.0f : v;
    v += v < 0.0f ? Quad{} - 0.5f : Quad{} + 0.5f;
    const QuadMask rounded = __builtin_convertvector(v, QuadMask);
    for (size_t j = 0; j < n; ++j) out[j] = static_cast<int16_t>(rounded[j]);
  };
  size_t j = 0;
  if (stereo) {
    for (; j + 4 <= values; j += 4) {
      Quad v;
      std::memcpy(&v, work + j, sizeof v);
      convert(v, samples + j, 4);
    }
  } else {
    for (; j + 4 <= values; j += 4)
      convert(Quad{work[2 * j], work[2 * j + 2], work[2 * j + 4], work[2 * j + 6]}, samples + j, 4);
  }
  for (; j < values; ++j) convert(Quad{work[stereo ? j : 2 * j]}, samples + j, 1);
}

// Converts in, runs the passes of up to six bands and converts back. The
// passes' coefficients and memory are set up by the caller.
[[gnu::always_inline]] inline void Run(const int16_t* samples, size_t frames, bool stereo, float* work,
                                       const size_t* bands, PassGroup* passes, size_t passCount, float gain,
                                       int16_t* out) {
  // Separate plain loops per layout, so the compiler vectorises them.
  if (stereo) {
    for (size_t j = 0; j < frames * 2; ++j) work[j] = samples[j];
  } else {
    for (size_t i = 0; i < frames; ++i) work[2 * i] = samples[i];
  }
  for (size_t k = 0; k < passCount; ++k) {
    switch ((bands[k] + 1) / 2) {
      case 1:
        Cascade<1>(work, frames, bands[k], &passes[k].lanes[0][0][0]);
        break;
      case 2:
        Cascade<2>(work, frames, bands[k], &passes[k].lanes[0][0][0]);
        break;
      default:
        Cascade<3>(work, frames, bands[k], &passes[k].lanes[0][0][0]);
        break;
    }
  }
  ToPcm(work, frames, stereo, gain, out);
}

void RunPortable(const int16_t* samples, size_t frames, bool stereo, float* work, const size_t* bands,
                 PassGroup* passes, size_t passCount, float gain, int16_t* out) {
  Run(samples, frames, stereo, work, bands, passes, passCount, gain, out);
}

#if defined(__x86_64__) || defined(__i386__)
// The same code in the three-operand AVX forms, which spare the register
// copies of the two-operand ones, with each product and sum fused into one
// instruction: about a quarter less time where the processor has them.
#if defined(__clang__)
[[gnu::target("avx2,fma")]]
#else
// GCC fuses them only when told to.
[[gnu::target("avx2,fma"), gnu::optimize("fp-contract=fast")]]
#endif
void RunWide(const int16_t* samples, size_t frames, bool stereo, float* work,
                                     const size_t* bands, PassGroup* passes, size_t passCount,
                                     float gain, int16_t* out) {
  Run(samples, frames, stereo, work, bands, passes, passCount, gain, out);
}

std::atomic<bool> wideAllowed{true};

bool HasWide() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
  }();
  return has;
}
#endif

}  // namespace

bool NormaliseEqParameters(EqParameters& p, uint32_t rate) {
  if (!std::isfinite(p.centre) || !std::isfinite(p.bandwidth) || !std::isfinite(p.gain)) return false;
  if (p.centre <= 0.0f || p.centre >= static_cast<float>(rate) / 2.0f) return false;
  p.gain = std::clamp(p.gain, -15.0f, 15.0f);
  p.bandwidth = std::clamp(p.bandwidth, 1.0f, 36.0f);
  return true;
}

void PeakingFilter::Configure(const EqParameters& p) {
  flat_ = p.gain == 0.0f;
  const double a = std::pow(10.0, p.gain / 40.0);
  const double w0 = 2.0 * std::numbers::pi * p.centre / rate_;
  // The bandwidth is taken without the bilinear warp correction: that
  // correction diverges towards Nyquist, where the top band must still work.
  const double octaves = p.bandwidth / 12.0;
  const double alpha = std::sin(w0) * std::sinh(std::numbers::ln2 / 2.0 * octaves);
  const double cosw = std::cos(w0);
  const double a0 = 1.0 + alpha / a;
  const double b0 = (1.0 + alpha * a) / a0;
  const double b2 = (1.0 - alpha * a) / a0;
  const double a1 = -2.0 * cosw / a0;  // a peaking section has b1 = a1
  const double a2 = (1.0 - alpha / a) / a0;
  b0_ = static_cast<float>(b0);
  d1_ = static_cast<float>(a1 * (1.0 - b0));
  d2_ = static_cast<float>(b2 - a2 * b0);
  a1_ = static_cast<float>(a1);
  a2_ = static_cast<float>(a2);
}

void AllowWideEqKernel(bool allow) {
#if defined(__x86_64__) || defined(__i386__)
  wideAllowed = allow;
#else
  (void)allow;
#endif
}

void ProcessCascade(PeakingFilter* const* filters, size_t count, uint32_t channels, int16_t* samples, size_t frames,
                    double gain) {
  if (channels != 1 && channels != 2) return;
  const bool stereo = channels == 2;
  std::vector<PeakingFilter*> active;
  for (size_t f = 0; f < count; ++f) {
    PeakingFilter& filter = *filters[f];
    if (!filter.flat_) {
      active.push_back(&filter);
    } else {
      // A band coming back from 0 dB starts from rest.
      filter.s1_[0] = filter.s1_[1] = filter.s2_[0] = filter.s2_[1] = 0;
    }
  }
  if (active.empty() && gain == 1.0) return;
  const size_t passCount = (active.size() + kMostPerPass - 1) / kMostPerPass;
  std::vector<size_t> bands(passCount);
  std::vector<PassGroup> passes(passCount);
  for (size_t k = 0; k < passCount; ++k) {
    const size_t begin = k * kMostPerPass;
    const size_t n = std::min(kMostPerPass, active.size() - begin);
    bands[k] = n;
    for (size_t v = 0; v < (n + 1) / 2; ++v) {
      const PeakingFilter& low = *active[begin + 2 * v];
      // An odd band out is paired with the identity, whose memory stays 0.
      static const PeakingFilter identity(1);
      const PeakingFilter& high = 2 * v + 1 < n ? *active[begin + 2 * v + 1] : identity;
      const float values[7][4] = {{low.b0_, low.b0_, high.b0_, high.b0_},
                                  {low.d1_, low.d1_, high.d1_, high.d1_},
                                  {low.d2_, low.d2_, high.d2_, high.d2_},
                                  {low.a1_, low.a1_, high.a1_, high.a1_},
                                  {low.a2_, low.a2_, high.a2_, high.a2_},
                                  {low.s1_[0], low.s1_[1], high.s1_[0], high.s1_[1]},
                                  {low.s2_[0], low.s2_[1], high.s2_[0], high.s2_[1]}};
      std::memcpy(passes[k].lanes[v], values, sizeof values);
    }
  }
  std::vector<float> work(frames * 2);
  const float scale = static_cast<float>(gain);
#if defined(__x86_64__) || defined(__i386__)
  if (wideAllowed && HasWide()) {
    RunWide(samples, frames, stereo, work.data(), bands.data(), passes.data(), passCount, scale, samples);
  } else {
    RunPortable(samples, frames, stereo, work.data(), bands.data(), passes.data(), passCount, scale, samples);
  }
#else
  RunPortable(samples, frames, stereo, work.data(), bands.data(), passes.data(), passCount, scale, samples);
#endif
  for (size_t f = 0; f < active.size(); ++f) {
    PeakingFilter& filter = *active[f];
    const auto& section = passes[f / kMostPerPass].lanes[(f % kMostPerPass) / 2];
    for (size_t c = 0; c < 2; ++c) {
      const size_t lane = f % 2 * 2 + c;
      filter.s1_[c] = Flushed(section[5][lane]);
      filter.s2_[c] = Flushed(section[6][lane]);
    }
  }
}

}  // namespace sono
