#include "Signal.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <numbers>

namespace sono::test {

std::string Fixture(const std::string& name) { return std::string(SONO_CORE_FIXTURES) + "/" + name; }

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> DecodeAll(Decoder& decoder, size_t maxFrames) {
  const size_t channels = decoder.Format().channels;
  std::vector<int16_t> all;
  // Odd block sizes make the decoders split their internal buffers.
  static constexpr size_t kBlocks[] = {1, 4096, 333, 1152, 7};
  for (size_t round = 0; all.size() / channels < maxFrames; ++round) {
    const size_t block = std::min(kBlocks[round % std::size(kBlocks)], maxFrames - all.size() / channels);
    const size_t before = all.size();
    all.resize(before + block * channels);
    const size_t got = decoder.Read(all.data() + before, block);
    all.resize(before + got * channels);
    if (got == 0) break;
  }
  return all;
}

std::vector<double> Channel(const std::vector<int16_t>& samples, unsigned channels, unsigned channel,
                            size_t begin, size_t end) {
  std::vector<double> out;
  for (size_t f = begin; f < end && (f + 1) * channels <= samples.size(); ++f) {
    out.push_back(samples[f * channels + channel] / 32768.0);
  }
  return out;
}

double GoertzelPower(const std::vector<double>& signal, double frequency, double rate) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * frequency / rate);
  double previous = 0;
  double older = 0;
  for (double x : signal) {
    const double current = x + coefficient * previous - older;
    older = previous;
    previous = current;
  }
  return previous * previous + older * older - coefficient * previous * older;
}

double Rms(const std::vector<double>& signal) {
  double sum = 0;
  for (double x : signal) sum += x * x;
  return signal.empty() ? 0 : std::sqrt(sum / signal.size());
}

bool Dominates(const std::vector<double>& signal, double frequency, double rate) {
  const double power = GoertzelPower(signal, frequency, rate);
  return power > 100 * GoertzelPower(signal, frequency / 1.41, rate) &&
         power > 100 * GoertzelPower(signal, frequency * 1.41, rate);
}

}  // namespace sono::test
