#include "net/core/HttpRequestBuilder.h"

#include <cstdio>

#include "net/core/NetUrl.h"

namespace sv::net {
namespace {

void AddLine(std::vector<std::string>& lines, std::string_view name, std::string_view value) {
  if (!value.empty()) lines.push_back(std::string(name) + ": " + std::string(value));
}

bool HasBody(std::string_view method) { return method == "POST" || method == "PUT"; }

}  // namespace

bool IsSafeRequestText(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
  }
  return true;
}

std::optional<uint16_t> ParsePortNumber(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  uint32_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
  }
  if (value == 0 || value > 65535) return std::nullopt;
  return static_cast<uint16_t>(value);
}

std::optional<HttpTarget> PlanRequest(std::string_view url, std::string_view proxy, std::string_view proxyPort) {
  if (!IsSafeRequestText(url) || !IsSafeRequestText(proxy)) return std::nullopt;
  const UrlParts parts = ParseURL(url);
  if (parts.host.empty()) return std::nullopt;
  if (!parts.port.empty() && !ParsePortNumber(parts.port)) return std::nullopt;
  HttpTarget target;
  target.protocol = parts.protocol.empty() ? "http" : parts.protocol;
  target.targetHost = parts.host;
  target.targetPort = parts.port.empty() ? "80" : parts.port;
  target.path = parts.path.empty() ? "/" : parts.path;
  target.user = parts.user;
  target.password = parts.password;
  target.hostName = target.targetHost;
  target.connectPort = target.targetPort;
  if (!proxy.empty()) {
    target.viaProxy = true;
    target.path = target.protocol + "://" + parts.host + (parts.port.empty() ? "" : ":" + parts.port) + parts.path;
    const UrlParts proxyParts = ParseURL(proxy);
    if (proxyParts.host.empty()) return std::nullopt;
    target.hostName = proxyParts.host;
    target.connectPort = proxyParts.port.empty() ? std::string(proxyPort) : proxyParts.port;
    if (!ParsePortNumber(target.connectPort)) return std::nullopt;
  }
  target.docName = AdjustDocName(parts.path);
  return target;
}

std::string AdjustDocName(std::string_view docName) {
  docName = docName.substr(0, docName.find('?'));
  if (docName.empty() || docName.back() == '/') return "document.htm";
  const size_t slash = docName.rfind('/');
  if (slash != std::string_view::npos) docName.remove_prefix(slash + 1);
  return std::string(docName.substr(0, 255));
}

std::string HttpDate(const CivilDateTime& when) {
  static constexpr char kDays[] = "MonTueWedThuFriSatSun";
  static constexpr char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
  // Days since 1970-01-01 (a Thursday), from the civil date.
  const int y = when.year - (when.month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int mp = (when.month + 9) % 12;
  const int doy = (153 * mp + 2) / 5 + when.day - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
  const int weekday = static_cast<int>(((days + 3) % 7 + 7) % 7);  // 0 = Monday
  const int month = when.month >= 1 && when.month <= 12 ? when.month - 1 : 0;
  char text[64];
  std::snprintf(text, sizeof text, "%.3s, %2.2d %.3s %4.4d %2.2d:%2.2d:%2.2d GMT", kDays + weekday * 3, when.day,
                kMonths + month * 3, when.year, when.hour, when.minute, when.second);
  return text;
}

std::vector<std::string> BuildRequestLines(const HttpRequestFields& f) {
  std::vector<std::string> lines;
  lines.push_back(f.method + " " + f.path + " HTTP/" + f.version);
  AddLine(lines, "From", f.from);
  AddLine(lines, "Accept", f.accept);
  AddLine(lines, "Referer", f.referer);
  AddLine(lines, "Connection", f.connection);
  AddLine(lines, "Accept-Language", f.acceptLanguage);
  if (f.method != "HEAD") AddLine(lines, "Accept-Encoding", f.acceptEncoding);
  if (HasBody(f.method)) AddLine(lines, "Content-Type", f.contentType);
  AddLine(lines, "User-Agent", f.userAgent);
  AddLine(lines, "Host", f.targetPort == "80" ? f.targetHost : f.targetHost + ":" + f.targetPort);
  if (f.noCache) lines.push_back("Pragma: no-cache");
  AddLine(lines, "Proxy-Connection", f.proxyConnection);
  if (HasBody(f.method)) lines.push_back("Content-Length: " + std::to_string(f.contentLength < 0 ? 0 : f.contentLength));
  AddLine(lines, "If-Modified-Since", f.ifModifiedSince);
  AddLine(lines, "Authorization", f.authorization);
  AddLine(lines, "Proxy-Authorization", f.proxyAuthorization);
  AddLine(lines, "Cookie", f.cookie);
  if (!f.rangeBegin.empty() || !f.rangeEnd.empty()) lines.push_back("Range: bytes=" + f.rangeBegin + "-" + f.rangeEnd);
  return lines;
}

std::optional<std::string> JoinRequestHeader(const std::vector<std::string>& lines) {
  std::string header;
  for (const std::string& line : lines) {
    // Every line must stay one line; the request line and Host matter most,
    // but a CR or LF anywhere would start a line of the peer's choosing.
    for (const char c : line) {
      if (c == '\r' || c == '\n' || c == '\0') return std::nullopt;
    }
    if ((&line == &lines.front() || line.rfind("Host: ", 0) == 0) && !IsSafeRequestText(line)) return std::nullopt;
    header += line;
    header += "\r\n";
  }
  header += "\r\n";
  return header;
}

}  // namespace sv::net
