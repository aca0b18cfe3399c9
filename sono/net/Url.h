#pragma once
// "http://host[:port]/path" split into what a connection and a request line
// need, and redirect targets resolved against the address that sent them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sono::net {

struct HttpUrl {
  std::string host;   // without brackets for an IPv6 literal
  uint16_t port = 80;
  std::string path;   // from the first '/', query included; "/" when empty

  // "host[:port]" as the Host header and a proxy's request line carry it,
  // the default port left out.
  std::string Authority() const;
  // The absolute form "http://host:port/path" a proxy is asked for.
  std::string Absolute() const;
};

// Decimal digits only, 1 to 65535; nullopt for anything else.
std::optional<uint16_t> ParsePort(std::string_view text);

// Nullopt for any other scheme, an empty host, a bad port or blanks or
// control characters, which a request line cannot carry.
std::optional<HttpUrl> SplitHttpUrl(std::string_view url);

// The target of a Location header: absolute "http://…", a path from the
// root, or a path relative to the current one. Nullopt for other schemes.
std::optional<HttpUrl> ResolveLocation(const HttpUrl& base, std::string_view location);

}  // namespace sono::net
