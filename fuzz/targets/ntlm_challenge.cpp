// NTLM challenge messages from a hostile server: the input is parsed as the
// message's bytes and as its Base64 text, and the answer built from a valid
// record must have the layout its header announces.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "Require.h"
#include "net/core/NetNtlmMsgs.h"

namespace {

uint32_t Read16(const std::string& m, size_t at) { return uint8_t(m[at]) | uint8_t(m[at + 1]) << 8; }
uint32_t Read32(const std::string& m, size_t at) { return Read16(m, at) | Read16(m, at + 2) << 16; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const auto info = sv::net::NtlmParseMessage2(bytes);
  if (info.Valid) {
    REQUIRE(size >= 32);
    REQUIRE(std::memcmp(info.Challenge.data(), data + 24, 8) == 0);
  }
  // Names come from inside the message: at most 3 UTF-8 bytes per input byte.
  REQUIRE(info.TargetName.size() <= 3 * size);
  REQUIRE(info.ServerName.size() <= 3 * size && info.DomainName.size() <= 3 * size);

  const auto fromText = sv::net::NtlmGetMessage2(bytes);
  if (!fromText.Valid) return 0;

  // The user and host names come from the input too.
  const std::string_view user = bytes.substr(0, size / 2);
  const std::string_view host = bytes.substr(size / 2);
  const auto message = sv::net::NtlmBuildMessage3("", host, user, fromText.Challenge, "SecREt01");
  REQUIRE(message.has_value());
  const std::string& m = *message;
  REQUIRE(m.size() >= 64 + 48);
  REQUIRE(Read32(m, 24) + 24 == m.size());
  REQUIRE(Read32(m, 16) + 24 == Read32(m, 24));
  REQUIRE(Read32(m, 40) + Read16(m, 36) == Read32(m, 48));
  REQUIRE(Read32(m, 48) + Read16(m, 44) == Read32(m, 16));
  return 0;
}
