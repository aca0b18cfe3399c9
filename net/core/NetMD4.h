#pragma once
// MD4 message digest (RFC 1320): the NT password hash of NTLM.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Exception.h"

namespace sv::net {

class MD4Exception : public Exception {
 public:
  using Exception::Exception;
};

struct MD4Context {
  uint32_t state[4] = {};
  uint64_t bitCount = 0;
  uint8_t buffer[64] = {};
  bool initialised = false;
};

using MD4Digest = std::array<uint8_t, 16>;

void MD4Init(MD4Context& context);
// Both raise MD4Exception on a context that MD4Init did not prepare or that
// MD4Final already closed.
void MD4Update(MD4Context& context, const void* data, size_t length);
MD4Digest MD4Final(MD4Context& context);

// The 16 digest bytes as a byte string.
std::string MD4OfString(std::string_view text);

}  // namespace sv::net
