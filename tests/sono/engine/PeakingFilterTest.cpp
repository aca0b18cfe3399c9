#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "sono/engine/PeakingFilter.h"

namespace sono {
namespace {

// Gain in dB of the filter on a steady sine, measured after it settles.
double MeasuredGainDb(const EqParameters& parameters, double frequency, uint32_t rate = 44100, uint32_t channels = 2) {
  PeakingFilter filter(rate);
  EqParameters p = parameters;
  EXPECT_TRUE(NormaliseEqParameters(p, rate));
  filter.Configure(p);
  PeakingFilter* const filters[] = {&filter};
  const size_t frames = rate;  // one second
  std::vector<int16_t> samples(frames * channels);
  for (size_t i = 0; i < frames; ++i)
    for (uint32_t c = 0; c < channels; ++c)
      samples[i * channels + c] =
          static_cast<int16_t>(std::lround(1000 * std::sin(2 * std::numbers::pi * frequency * i / rate)));
  ProcessCascade(filters, 1, channels, samples.data(), frames);
  double peak = 0;
  for (size_t i = frames / 2; i < frames; ++i)
    for (uint32_t c = 0; c < channels; ++c)
      peak = std::max(peak, std::fabs(static_cast<double>(samples[i * channels + c])));
  // Half a step of rounding either way.
  peak = std::max(peak - 0.5, 0.5);
  return 20 * std::log10(peak / 1000);
}

TEST(PeakingFilter, GainIsExactAtEachOfThePlayersBands) {
  for (double centre : {80.0, 298.57, 1114.3, 4158.73, 15520.95}) {
    const EqParameters p{static_cast<float>(centre), 11.4f, 12.0f};
    EXPECT_NEAR(MeasuredGainDb(p, centre), 12.0, 0.5) << centre;
  }
}

TEST(PeakingFilter, CutIsSymmetricToBoost) {
  EXPECT_NEAR(MeasuredGainDb({1114.3f, 11.4f, -12.0f}, 1114.3), -12.0, 0.5);
}

TEST(PeakingFilter, FarFromTheBandTheSignalIsUntouched) {
  EXPECT_NEAR(MeasuredGainDb({80.0f, 11.4f, 15.0f}, 8000), 0.0, 0.3);
  EXPECT_NEAR(MeasuredGainDb({15520.95f, 11.4f, 15.0f}, 200), 0.0, 0.3);
}

TEST(PeakingFilter, ZeroGainIsUnity) { EXPECT_NEAR(MeasuredGainDb({1114.3f, 11.4f, 0.0f}, 1114.3), 0.0, 0.05); }

TEST(PeakingFilter, StaysStableJustBelowNyquist) {
  const double gain = MeasuredGainDb({21990.0f, 11.4f, 15.0f}, 21990.0);
  EXPECT_TRUE(std::isfinite(gain));
  EXPECT_LT(gain, 15.5);
}

TEST(PeakingFilter, WorksOnMonoAndLowRates) {
  EXPECT_NEAR(MeasuredGainDb({1000.0f, 11.4f, 12.0f}, 1000, 8000, 1), 12.0, 0.5);
}

// A stereo signal with different content per channel, so a mix-up of the
// channels shows as well as one of the bands.
std::vector<int16_t> TwoTones(size_t frames) {
  std::vector<int16_t> samples(frames * 2);
  for (size_t i = 0; i < frames; ++i) {
    samples[2 * i] = static_cast<int16_t>(std::lround(3000 * std::sin(2 * std::numbers::pi * 90 * i / 44100.0) +
                                                      2000 * std::sin(2 * std::numbers::pi * 15000 * i / 44100.0)));
    samples[2 * i + 1] = static_cast<int16_t>(std::lround(4000 * std::sin(2 * std::numbers::pi * 1100 * i / 44100.0)));
  }
  return samples;
}

TEST(PeakingFilter, CascadeInUnevenBlocksEqualsTheBandsOneAfterAnother) {
  const EqParameters bands[] = {{80.0f, 11.4f, 9.0f},      {298.57f, 11.4f, -6.0f},  {1114.3f, 11.4f, 12.0f},
                                {4158.73f, 11.4f, -15.0f}, {15520.95f, 11.4f, 7.0f}, {60.0f, 3.0f, 4.0f},
                                {9000.0f, 24.0f, -3.0f}};
  for (size_t count : {size_t{1}, size_t{5}, size_t{7}}) {
    const size_t frames = 20000;
    std::vector<int16_t> expected = TwoTones(frames);
    for (size_t b = 0; b < count; ++b) {
      PeakingFilter one(44100);
      one.Configure(bands[b]);
      PeakingFilter* const single[] = {&one};
      ProcessCascade(single, 1, 2, expected.data(), frames);
    }
    std::vector<PeakingFilter> filters(count, PeakingFilter(44100));
    std::vector<PeakingFilter*> pointers;
    for (size_t b = 0; b < count; ++b) {
      filters[b].Configure(bands[b]);
      pointers.push_back(&filters[b]);
    }
    std::vector<int16_t> actual = TwoTones(frames);
    const size_t steps[] = {1, 3, 2, 2048, 700, 4, 6};
    for (size_t at = 0, k = 0; at < frames; ++k) {
      const size_t step = std::min(steps[k % std::size(steps)], frames - at);
      ProcessCascade(pointers.data(), count, 2, actual.data() + at * 2, step);
      at += step;
    }
    // The reference rounds to 16 bits after every band, the cascade once.
    for (size_t i = 0; i < frames * 2; ++i) ASSERT_NEAR(actual[i], expected[i], 4) << count << " bands, at " << i;
  }
}

// The textbook section in double precision, as a reference for the
// single-precision cascade.
std::vector<double> ReferenceBand(const std::vector<double>& in, const EqParameters& p, uint32_t rate) {
  const double a = std::pow(10.0, p.gain / 40.0);
  const double w0 = 2 * std::numbers::pi * p.centre / rate;
  const double alpha = std::sin(w0) * std::sinh(std::numbers::ln2 / 2 * p.bandwidth / 12.0);
  const double a0 = 1 + alpha / a;
  const double b0 = (1 + alpha * a) / a0, b1 = -2 * std::cos(w0) / a0, b2 = (1 - alpha * a) / a0;
  const double a1 = b1, a2 = (1 - alpha / a) / a0;
  std::vector<double> out(in.size());
  double x1[2] = {0, 0}, x2[2] = {0, 0}, y1[2] = {0, 0}, y2[2] = {0, 0};
  for (size_t i = 0; i < in.size(); ++i) {
    const size_t c = i % 2;
    out[i] = b0 * in[i] + b1 * x1[c] + b2 * x2[c] - a1 * y1[c] - a2 * y2[c];
    x2[c] = x1[c];
    x1[c] = in[i];
    y2[c] = y1[c];
    y1[c] = out[i];
  }
  return out;
}

// Both kernels: the wide one where this processor has it, and the one every
// processor runs.
class PeakingFilterKernel : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { AllowWideEqKernel(GetParam()); }
  void TearDown() override { AllowWideEqKernel(true); }
};

TEST_P(PeakingFilterKernel, LoudNoiseThroughTheBandsStaysCloseToTheTextbookSection) {
  const EqParameters bands[] = {{80.0f, 11.4f, 15.0f},     {298.57f, 11.4f, -15.0f},  {1114.3f, 11.4f, 15.0f},
                                {4158.73f, 11.4f, -15.0f}, {15520.95f, 11.4f, 15.0f}, {60.0f, 3.0f, 6.0f},
                                {9000.0f, 24.0f, -3.0f}};
  const size_t frames = 44100 * 3;
  // Low-passed noise at about -20 dB full scale, so the boosts do not clip.
  std::vector<double> input(frames * 2);
  uint32_t seed = 12345;
  double held[2] = {0, 0};
  for (size_t i = 0; i < input.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    held[i % 2] = 0.9 * held[i % 2] + 0.1 * (static_cast<double>(seed >> 8) / (1 << 24) - 0.5) * 20000;
    input[i] = std::round(held[i % 2]);
  }
  for (size_t count : {size_t{1}, size_t{2}, size_t{5}, size_t{7}}) {
    std::vector<double> expected = input;
    for (size_t b = 0; b < count; ++b) expected = ReferenceBand(expected, bands[b], 44100);
    std::vector<int16_t> actual(input.begin(), input.end());
    std::vector<PeakingFilter> filters(count, PeakingFilter(44100));
    std::vector<PeakingFilter*> pointers;
    for (size_t b = 0; b < count; ++b) {
      filters[b].Configure(bands[b]);
      pointers.push_back(&filters[b]);
    }
    for (size_t at = 0; at < frames; at += 2048)
      ProcessCascade(pointers.data(), count, 2, actual.data() + at * 2, std::min<size_t>(2048, frames - at));
    double peak = 0, worst = 0, squares = 0;
    for (size_t i = 0; i < input.size(); ++i) {
      ASSERT_LT(std::fabs(expected[i]), 32767) << "the reference clips at " << i;
      const double error = actual[i] - expected[i];
      worst = std::max(worst, std::fabs(error));
      squares += error * error;
      peak = std::max(peak, std::fabs(expected[i]));
    }
    EXPECT_GT(peak, 5000) << count << " bands";  // loud enough to show rounding in the memory
    // Rounding to 16 bits alone gives up to half a step and 0.29 RMS. The
    // single-precision memory of a low band adds about one step RMS at these
    // extreme settings (1.2 to 1.5, 6 at worst), some 90 dB below full
    // scale and 80 dB below the signal; a weaker form would show as tens.
    EXPECT_LT(worst, 8) << count << " bands";
    EXPECT_LT(std::sqrt(squares / input.size()), 2) << count << " bands";
  }
}

INSTANTIATE_TEST_SUITE_P(WideAndPortable, PeakingFilterKernel, testing::Bool());

TEST(PeakingFilter, FlatBandsPassTheSignalUntouched) {
  std::vector<int16_t> samples = TwoTones(5000);
  const std::vector<int16_t> original = samples;
  PeakingFilter flat(44100);
  flat.Configure({1114.3f, 11.4f, 0.0f});
  PeakingFilter* const filters[] = {&flat, &flat};
  ProcessCascade(filters, 2, 2, samples.data(), 5000);
  EXPECT_EQ(samples, original);
}

TEST(PeakingFilter, GainScalesAndSaturates) {
  std::vector<int16_t> samples = {1000, -1000, 30000, -30000, 3, -3};
  ProcessCascade(nullptr, 0, 2, samples.data(), 3, 1.5);
  EXPECT_EQ(samples, (std::vector<int16_t>{1500, -1500, 32767, -32768, 5, -5}));
}

TEST(PeakingFilter, ParametersAreCheckedAndClamped) {
  EqParameters p{22050.0f, 11.4f, 0.0f};
  EXPECT_FALSE(NormaliseEqParameters(p, 44100));  // at Nyquist
  p = {0.0f, 11.4f, 0.0f};
  EXPECT_FALSE(NormaliseEqParameters(p, 44100));
  p = {NAN, 11.4f, 0.0f};
  EXPECT_FALSE(NormaliseEqParameters(p, 44100));
  p = {1000.0f, 11.4f, 40.0f};
  ASSERT_TRUE(NormaliseEqParameters(p, 44100));
  EXPECT_EQ(p.gain, 15.0f);
  p = {1000.0f, 0.0f, -40.0f};
  ASSERT_TRUE(NormaliseEqParameters(p, 44100));
  EXPECT_EQ(p.gain, -15.0f);
  EXPECT_GT(p.bandwidth, 0.0f);
}

}  // namespace
}  // namespace sono
