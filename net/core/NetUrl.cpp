#include "net/core/NetUrl.h"

#include "base/Ascii.h"

namespace sv::net {
namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameTextAscii(s.substr(0, prefix.size()), prefix);
}

bool IsProtocolChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The text up to and including its last "/", or "/" when it has none.
std::string DirectoryOf(std::string_view path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return "/";
  return std::string(path.substr(0, slash + 1));
}

std::string ResolveParent(std::string_view url, std::string_view base) {
  std::string dir = DirectoryOf(base);
  std::string_view rest = url.substr(3);
  for (;;) {
    // Drop the trailing "/" and go back to the previous one; "/" stays "/",
    // so the loop ends once rest has no more "../".
    dir.pop_back();
    dir = DirectoryOf(dir);
    if (rest.substr(0, 3) != "../") break;
    rest.remove_prefix(3);
  }
  return dir + std::string(rest);
}

void SplitHostPart(std::string_view text, UrlParts& parts) {
  const size_t pathAt = text.find_first_of("/?");
  if (pathAt != std::string_view::npos) {
    parts.path = std::string(text.substr(pathAt));
    text = text.substr(0, pathAt);
  }
  const size_t colon = text.rfind(':');
  const size_t at = text.rfind('@');
  if (colon == std::string_view::npos && at == std::string_view::npos) {
    parts.host = std::string(text);
    return;
  }
  std::string_view hostAndPort = at == std::string_view::npos ? text : text.substr(at + 1);
  if (colon != std::string_view::npos && (at == std::string_view::npos || colon > at)) {
    const size_t portColon = hostAndPort.rfind(':');
    parts.port = std::string(hostAndPort.substr(portColon + 1));
    parts.host = std::string(hostAndPort.substr(0, portColon));
  } else {
    parts.host = std::string(hostAndPort);
  }
  if (at == std::string_view::npos) return;
  const std::string_view userInfo = text.substr(0, at);
  const size_t userColon = userInfo.find(':');
  parts.user = std::string(userInfo.substr(0, userColon));
  if (userColon != std::string_view::npos) parts.password = std::string(userInfo.substr(userColon + 1));
}

}  // namespace

UrlParts ParseURL(std::string_view url, std::string_view currentPath) {
  UrlParts parts;
  if (url.empty()) return parts;
  if (url.substr(0, 2) == "./") {
    parts.path = DirectoryOf(currentPath) + std::string(url.substr(2));
    return parts;
  }
  if (url.substr(0, 3) == "../") {
    parts.path = ResolveParent(url, currentPath);
    return parts;
  }

  std::string_view rest = url;
  const size_t scheme = url.find("://");
  if (scheme != std::string_view::npos) {
    const std::string protocol = LowerAscii(url.substr(0, scheme));
    bool valid = true;
    for (const char c : protocol) valid = valid && IsProtocolChar(c);
    if (valid) {
      parts.protocol = protocol;
      rest = url.substr(scheme + 3);
    } else {
      parts.protocol = "http";
    }
  } else if (url.front() == '/') {
    parts.protocol = "http";
    if (url.size() > 1 && url[1] != '/') {
      parts.path = std::string(url);
      return parts;
    }
    rest = url.substr(1);
  } else if (StartsWithNoCase(url, "http:")) {
    parts.protocol = "http";
    if (url.size() > 6 && url[6] != '/') {
      parts.path = std::string(url.substr(5));
      return parts;
    }
    rest = url.substr(url.size() < 6 ? url.size() : 6);
  } else if (StartsWithNoCase(url, "mailto:")) {
    parts.protocol = "mailto";
    rest = url.substr(7);
  }
  SplitHostPart(rest, parts);
  return parts;
}

int64_t FindNthPos(std::string_view what, std::string_view text, int n) {
  if (n == 0 || what.empty()) return n > 0 ? static_cast<int64_t>(text.size()) + 1 : 0;
  // |n| in 64 bits: INT_MIN has no 32-bit negation.
  int64_t remaining = n < 0 ? -static_cast<int64_t>(n) : n;
  if (n > 0) {
    size_t from = 0;
    for (;;) {
      const size_t found = text.find(what, from);
      if (found == std::string_view::npos) return static_cast<int64_t>(text.size()) + 1;
      if (--remaining == 0) return static_cast<int64_t>(found) + 1;
      from = found + 1;
    }
  }
  size_t before = text.size();
  for (;;) {
    if (before < what.size()) return 0;
    const size_t found = text.rfind(what, before - what.size());
    if (found == std::string_view::npos) return 0;
    if (--remaining == 0) return static_cast<int64_t>(found) + 1;
    before = found + what.size() - 1;
  }
}

std::string EncodeUrl(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char c : text) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      out += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    }
  }
  return out;
}

std::string GetBaseUrl(std::string_view url) {
  const size_t query = url.find('?');
  const std::string_view head = url.substr(0, query);
  const size_t last = head.find_last_of("/:");
  if (last == std::string_view::npos) return {};
  return std::string(url.substr(0, last + 1));
}

std::string ReplaceExt(std::string_view name, std::string_view ext) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return std::string(name) + "." + std::string(ext);
  return std::string(name.substr(0, dot + 1)) + std::string(ext);
}

}  // namespace sv::net
