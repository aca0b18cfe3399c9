#pragma once
// Measuring decoded audio in the decoder tests.
#include <cstdint>
#include <string>
#include <vector>

#include "sono/core/Decoder.h"

namespace sono::test {

std::string Fixture(const std::string& name);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Decodes to the end in blocks of varying size, at most maxFrames frames.
std::vector<int16_t> DecodeAll(Decoder& decoder, size_t maxFrames = 1u << 24);

// One channel of interleaved samples, from frame begin to end.
std::vector<double> Channel(const std::vector<int16_t>& samples, unsigned channels, unsigned channel,
                            size_t begin, size_t end);

double GoertzelPower(const std::vector<double>& signal, double frequency, double rate);
double Rms(const std::vector<double>& signal);

// Whether frequency stands well above its neighbours half an octave away.
bool Dominates(const std::vector<double>& signal, double frequency, double rate);

}  // namespace sono::test
