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
  const bool absolute = StartsWithNoCase(value, "http://") || StartsWithNoCase(value, "https://");
  if (absolute) {
    const UrlParts parts = ParseURL(value);
    if (parts.host.empty()) return std::nullopt;
    if (!parts.port.empty() && !ParsePortNumber(parts.port)) return std::nullopt;
    if (current.viaProxy) {
      t.path = std::string(value);
      next.location = std::string(value);
    } else {
      t.hostName = parts.host;
      t.connectPort = parts.port.empty() ? "80" : parts.port;
      t.protocol = parts.protocol;
      t.path = parts.path.empty() ? "/" : parts.path;
      next.location = Origin(parts.protocol, parts.host, parts.port) + t.path;
    }
  } else if (current.viaProxy) {
    // The current path is an absolute URL; one without a path stands for
    // its root, so that nothing relative can extend the host name.
    const UrlParts base = ParseURL(current.path);
    const std::string origin = Origin(base.protocol.empty() ? "http" : base.protocol, base.host, base.port);
    const std::string basePath = base.path.empty() ? "/" : base.path;
    t.path = origin + (value.front() == '/' ? std::string(value) : GetBaseUrl(basePath) + std::string(value));
    next.location = t.path;
  } else if (value.front() == '/') {
    t.path = std::string(value);
    next.location = Origin("http", current.hostName, current.connectPort) + t.path;
  } else {
    t.path = GetBaseUrl(current.path) + std::string(value);
    if (t.path.front() != '/') t.path = "/" + t.path;
    next.location = Origin("http", current.hostName, current.connectPort) + t.path;
  }
  // Whatever the value's form, the server it names decides whether the
  // credentials go along: through a proxy a relative value may name another
  // host too.
  const UrlParts named = absolute ? ParseURL(value) : current.viaProxy ? ParseURL(t.path) : UrlParts{};
  if (absolute || current.viaProxy) {
    const std::string protocol = named.protocol.empty() ? "http" : named.protocol;
    const std::string port = named.port.empty() ? "80" : named.port;
    const bool otherServer = protocol != current.protocol || !SameTextAscii(named.host, current.targetHost) ||
                             port != current.targetPort;
    t.targetHost = named.host;
    t.targetPort = port;
    if (!named.user.empty() && !named.password.empty()) {
      t.user = named.user;
      t.password = named.password;
    } else if (otherServer) {
      t.user.clear();
      t.password.clear();
      next.credentialsCleared = true;
    }
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
