#pragma once
// MD5 message digest (RFC 1321). The track-submission client sends its
// challenge response as MD5 text.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sv::net {

struct MD5Context {
  uint32_t state[4];
  uint64_t bitCount;
  uint8_t buffer[64];
};

using MD5Digest = std::array<uint8_t, 16>;

void MD5Init(MD5Context& context);
void MD5Update(MD5Context& context, const void* data, size_t length);
// The context is zeroed afterwards: it holds no trace of the input.
MD5Digest MD5Final(MD5Context& context);

// 32 upper-case hexadecimal digits.
std::string MD5HexOfBuffer(const void* data, size_t length);
std::string MD5HexOfString(std::string_view text);

}  // namespace sv::net
