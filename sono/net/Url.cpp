#include "sono/net/Url.h"

#include "base/Ascii.h"

namespace sono::net {

namespace {

bool FitsRequestLine(std::string_view text) {
  for (unsigned char c : text) {
    if (c <= ' ' || c == 0x7F) return false;
  }
  return true;
}

}  // namespace

std::optional<uint16_t> ParsePort(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  uint32_t port = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + static_cast<uint32_t>(c - '0');
  }
  if (port == 0 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

std::string HttpUrl::Authority() const {
  const bool v6 = host.find(':') != std::string::npos;
  const std::string name = v6 ? "[" + host + "]" : host;
  return port == 80 ? name : name + ":" + std::to_string(port);
}

std::string HttpUrl::Absolute() const { return "http://" + Authority() + path; }

std::optional<HttpUrl> SplitHttpUrl(std::string_view url) {
  constexpr std::string_view scheme = "http://";
  if (url.size() < scheme.size() || !sv::SameTextAscii(url.substr(0, scheme.size()), scheme)) return std::nullopt;
  if (!FitsRequestLine(url)) return std::nullopt;
  url.remove_prefix(scheme.size());
  const size_t slash = url.find_first_of("/?#");
  std::string_view authority = url.substr(0, slash);
  std::string_view rest = slash == std::string_view::npos ? std::string_view() : url.substr(slash);
  rest = rest.substr(0, rest.find('#'));

  // Credentials in the address are not sent anywhere: drop them.
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);

  HttpUrl result;
  std::string_view port;
  if (!authority.empty() && authority.front() == '[') {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    result.host = std::string(authority.substr(1, close - 1));
    std::string_view after = authority.substr(close + 1);
    if (!after.empty()) {
      if (after.front() != ':') return std::nullopt;
      port = after.substr(1);
    }
  } else {
    const size_t colon = authority.find(':');
    result.host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos) port = authority.substr(colon + 1);
    if (result.host.find_first_of("[]") != std::string::npos) return std::nullopt;
  }
  if (result.host.empty()) return std::nullopt;
  if (!port.empty()) {
    const auto number = ParsePort(port);
    if (!number) return std::nullopt;
    result.port = *number;
  }
  result.path = rest.empty() ? "/" : std::string(rest);
  if (result.path.front() == '?') result.path.insert(0, "/");
  return result;
}

std::optional<HttpUrl> ResolveLocation(const HttpUrl& base, std::string_view location) {
  location = sv::TrimBlanks(location);
  if (location.find("://") != std::string_view::npos) return SplitHttpUrl(location);
  if (location.empty() || !FitsRequestLine(location)) return std::nullopt;
  if (location.substr(0, 2) == "//") return SplitHttpUrl("http:" + std::string(location));
  HttpUrl target = base;
  if (location.front() == '/') {
    target.path = std::string(location);
  } else {
    const std::string_view basePath = std::string_view(base.path).substr(0, base.path.find('?'));
    target.path = std::string(basePath.substr(0, basePath.rfind('/') + 1)) + std::string(location);
  }
  target.path = target.path.substr(0, target.path.find('#'));
  return target;
}

}  // namespace sono::net
