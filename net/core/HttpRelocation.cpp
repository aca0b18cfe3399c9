#include "net/core/HttpRelocation.h"

#include "base/Ascii.h"
#include "net/core/NetUrl.h"

namespace sv::net {
namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameTextAscii(s.substr(0, prefix.size()), prefix);
}

// "http://host" plus ":port" when it is not the default.
std::string Origin(std::string_view protocol, std::string_view host, std::string_view port) {
  std::string origin = std::string(protocol) + "://" + std::string(host);
  if (!port.empty() && port != "80") origin += ":" + std::string(port);
  return origin;
}

}  // namespace

bool ShouldFollowLocation(int statusCode, HttpMethod method, bool followRelocation) {
  return followRelocation && method != HttpMethod::Put && statusCode >= 300 && statusCode <= 399;
}

std::optional<Relocation> ResolveLocation(const HttpTarget& current, std::string_view value) {
  if (!IsSafeRequestText(value)) return std::nullopt;
  value = Trim(value.substr(0, value.find('#')));
  if (value.empty()) return std::nullopt;
  Relocation next;
  next.target = current;
  HttpTarget& t = next.target;
  if (StartsWithNoCase(value, "http://") || StartsWithNoCase(value, "https://")) {
    const UrlParts parts = ParseURL(value);
    if (parts.host.empty()) return std::nullopt;
    if (!parts.port.empty() && !ParsePortNumber(parts.port)) return std::nullopt;
    const std::string port = parts.port.empty() ? "80" : parts.port;
    const bool otherServer = parts.protocol != current.protocol || !SameTextAscii(parts.host, current.targetHost) ||
                             port != current.targetPort;
    t.targetHost = parts.host;
    t.targetPort = port;
    if (current.viaProxy) {
      t.path = std::string(value);
      next.location = std::string(value);
    } else {
      t.hostName = parts.host;
      t.connectPort = port;
      t.protocol = parts.protocol;
      t.path = parts.path.empty() ? "/" : parts.path;
      next.location = Origin(parts.protocol, parts.host, parts.port) + t.path;
    }
    if (!parts.user.empty() && !parts.password.empty()) {
      t.user = parts.user;
      t.password = parts.password;
    } else if (otherServer) {
      t.user.clear();
      t.password.clear();
      next.credentialsCleared = true;
    }
  } else if (value.front() == '/') {
    if (current.viaProxy) {
      const UrlParts base = ParseURL(current.path);
      t.path = Origin(base.protocol.empty() ? "http" : base.protocol, base.host, base.port) + std::string(value);
      next.location = t.path;
    } else {
      t.path = std::string(value);
      next.location = Origin("http", current.hostName, current.connectPort) + t.path;
    }
  } else {
    t.path = GetBaseUrl(current.path) + std::string(value);
    if (t.path.front() != '/' && !current.viaProxy) t.path = "/" + t.path;
    next.location = current.viaProxy ? t.path : Origin("http", current.hostName, current.connectPort) + t.path;
  }
  t.docName = AdjustDocName(ParseURL(next.location).path);
  next.sameConnection = t.hostName == current.hostName && t.connectPort == current.connectPort &&
                        t.protocol == current.protocol;
  return next;
}

bool RelocationLimiter::CountRelocation() {
  if (++restarts_ > kMaxRestarts) return false;
  ++count_;
  if (count_ <= LocationChangeMaxCount) return true;
  return OnLocationChangeExceeded && OnLocationChangeExceeded(count_);
}

bool RelocationLimiter::CountRestart() { return ++restarts_ <= kMaxRestarts; }

}  // namespace sv::net
