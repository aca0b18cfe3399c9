#pragma once
// What MD4 and MD5 share around their compression functions: 64-byte blocks
// filled from any number of pieces, and the closing padding with the bit
// count and the state read out as little-endian words. The context needs
// state[4], bitCount and buffer[64]; transform(state, block) is the digest's
// own compression.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace sv::net::digest {

constexpr uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLE(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Both digests start from the same four words.
template <typename Context>
void Reset(Context& context) {
  context.state[0] = 0x67452301;
  context.state[1] = 0xefcdab89;
  context.state[2] = 0x98badcfe;
  context.state[3] = 0x10325476;
  context.bitCount = 0;
  std::memset(context.buffer, 0, sizeof context.buffer);
}

template <typename Context, typename Transform>
void Absorb(Context& context, const void* data, size_t length, Transform transform) {
  const auto* in = static_cast<const uint8_t*>(data);
  size_t used = (context.bitCount / 8) % 64;
  context.bitCount += uint64_t(length) * 8;
  while (length > 0) {
    const size_t take = std::min(length, 64 - used);
    std::memcpy(context.buffer + used, in, take);
    used += take;
    in += take;
    length -= take;
    if (used == 64) {
      transform(context.state, context.buffer);
      used = 0;
    }
  }
}

template <typename Context, typename Transform>
std::array<uint8_t, 16> Finish(Context& context, Transform transform) {
  uint8_t count[8];
  for (int i = 0; i < 8; ++i) count[i] = uint8_t(context.bitCount >> (8 * i));
  const size_t used = (context.bitCount / 8) % 64;
  static constexpr uint8_t kPadding[64] = {0x80};
  Absorb(context, kPadding, used < 56 ? 56 - used : 120 - used, transform);
  Absorb(context, count, 8, transform);
  std::array<uint8_t, 16> digest;
  for (int i = 0; i < 16; ++i) digest[i] = uint8_t(context.state[i / 4] >> (8 * (i % 4)));
  return digest;
}

}  // namespace sv::net::digest
