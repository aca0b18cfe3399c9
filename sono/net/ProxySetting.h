#pragma once
// The proxy the player configures as "user:pass@host:port". The text is split
// at the last '@', so a password may itself contain '@'.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sono::net {

struct ProxySetting {
  std::string user;      // empty: no credentials are sent
  std::string password;
  std::string host;
  uint16_t port = 80;

  // The "Proxy-Authorization" value: "Basic " and base64 of "user:password".
  std::string BasicCredentials() const;
};

// Nullopt for an empty text (direct connection) and for a text without a
// host or with a port that is not a number from 1 to 65535.
std::optional<ProxySetting> ParseProxySetting(std::string_view text);

}  // namespace sono::net
