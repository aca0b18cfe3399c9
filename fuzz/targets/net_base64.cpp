// Base64 of arbitrary bytes round-trips, and decoding arbitrary text never
// reads past its end nor produces more than its groups can hold.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "net/core/NetBase64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string encoded = sv::net::Base64Encode(bytes);
  REQUIRE(encoded.size() == (size + 2) / 3 * 4);
  REQUIRE(sv::net::Base64Decode(encoded) == bytes);

  const std::string decoded = sv::net::Base64Decode(bytes);
  REQUIRE(decoded.size() <= size / 4 * 3 + 2);
  // Text that was produced by the encoder comes back unchanged.
  if (sv::net::Base64Encode(decoded) == bytes) REQUIRE(sv::net::Base64Decode(bytes) == decoded);
  return 0;
}
