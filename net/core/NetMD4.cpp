#include "net/core/NetMD4.h"

#include "net/core/NetDigestBlocks.h"

namespace sv::net {
namespace {

using digest::LoadLE;
using digest::RotateLeft;

void RequireInitialised(const MD4Context& context) {
  if (!context.initialised) throw MD4Exception("MD4 not initialized");
}

void Transform(uint32_t state[4], const uint8_t block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLE(block + 4 * i);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  // Each round visits the sixteen words in its own order with its own shifts;
  // the step rotates the roles of a, b, c and d.
  auto step = [&](uint32_t f, uint32_t word, uint32_t constant, int shift) {
    const uint32_t next = RotateLeft(a + f + word + constant, shift);
    a = d;
    d = c;
    c = b;
    b = next;
  };
  static constexpr int kShift1[4] = {3, 7, 11, 19};
  for (int i = 0; i < 16; ++i) step((b & c) | (~b & d), x[i], 0, kShift1[i % 4]);
  static constexpr int kShift2[4] = {3, 5, 9, 13};
  static constexpr int kOrder2[16] = {0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15};
  for (int i = 0; i < 16; ++i) step((b & c) | (b & d) | (c & d), x[kOrder2[i]], 0x5a827999, kShift2[i % 4]);
  static constexpr int kShift3[4] = {3, 9, 11, 15};
  static constexpr int kOrder3[16] = {0, 8, 4, 12, 2, 10, 6, 14, 1, 9, 5, 13, 3, 11, 7, 15};
  for (int i = 0; i < 16; ++i) step(b ^ c ^ d, x[kOrder3[i]], 0x6ed9eba1, kShift3[i % 4]);
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

}  // namespace

void MD4Init(MD4Context& context) {
  digest::Reset(context);
  context.initialised = true;
}

void MD4Update(MD4Context& context, const void* data, size_t length) {
  RequireInitialised(context);
  digest::Absorb(context, data, length, Transform);
}

MD4Digest MD4Final(MD4Context& context) {
  RequireInitialised(context);
  const MD4Digest result = digest::Finish(context, Transform);
  context = MD4Context{};
  return result;
}

std::string MD4OfString(std::string_view text) {
  MD4Context context;
  MD4Init(context);
  MD4Update(context, text.data(), text.size());
  const MD4Digest digest = MD4Final(context);
  return std::string(digest.begin(), digest.end());
}

}  // namespace sv::net
