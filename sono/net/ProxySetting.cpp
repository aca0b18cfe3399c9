#include "sono/net/ProxySetting.h"

#include "base/Ascii.h"
#include "net/core/NetAuthSchemes.h"
#include "sono/net/Url.h"

namespace sono::net {

std::string ProxySetting::BasicCredentials() const { return sv::net::BasicCredentials(user, password); }

std::optional<ProxySetting> ParseProxySetting(std::string_view text) {
  text = sv::TrimBlanks(text);
  ProxySetting proxy;
  std::string_view address = text;
  if (const size_t at = text.rfind('@'); at != std::string_view::npos) {
    const std::string_view credentials = text.substr(0, at);
    address = text.substr(at + 1);
    // Basic credentials cannot carry ':' in the user name, so the first one
    // ends it and the password keeps any later ones.
    const size_t colon = credentials.find(':');
    proxy.user = std::string(credentials.substr(0, colon));
    if (colon != std::string_view::npos) proxy.password = std::string(credentials.substr(colon + 1));
  }
  const size_t colon = address.rfind(':');
  proxy.host = std::string(address.substr(0, colon));
  if (proxy.host.size() > 2 && proxy.host.front() == '[' && proxy.host.back() == ']') {
    proxy.host = proxy.host.substr(1, proxy.host.size() - 2);
  }
  if (proxy.host.empty()) return std::nullopt;
  for (unsigned char c : proxy.host) {
    if (c <= ' ' || c == '/' || c == '@' || c == '[' || c == ']') return std::nullopt;
  }
  if (colon != std::string_view::npos) {
    const auto port = ParsePort(address.substr(colon + 1));
    if (!port) return std::nullopt;
    proxy.port = *port;
  }
  return proxy;
}

}  // namespace sono::net
