// URLs and Location values from servers and settings: splitting never fails
// hard, encoding is reversible, and whatever is accepted as a request target
// yields a request header whose lines stay lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "net/core/HttpRelocation.h"
#include "net/core/HttpRequestBuilder.h"
#include "net/core/NetUrl.h"

namespace {

int HexValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

void RequireRequestBuilds(const sv::net::HttpTarget& target) {
  sv::net::HttpRequestFields fields;
  fields.path = target.path;
  fields.targetHost = target.targetHost;
  fields.targetPort = target.targetPort;
  const auto header = sv::net::JoinRequestHeader(sv::net::BuildRequestLines(fields));
  REQUIRE(header.has_value());
  REQUIRE(header->find("\r\n\r\n") == header->size() - 4);
  REQUIRE(sv::net::ParsePortNumber(target.connectPort).has_value());
  REQUIRE(sv::net::ParsePortNumber(target.targetPort).has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  // Before the first NUL: the URL; after it: the current path.
  const size_t split = input.find('\0');
  const std::string_view url = input.substr(0, split);
  const std::string_view current = split == std::string_view::npos ? std::string_view() : input.substr(split + 1);

  const sv::net::UrlParts parts = sv::net::ParseURL(url, current);
  for (const char c : parts.protocol) REQUIRE(!(c >= 'A' && c <= 'Z'));
  REQUIRE(parts.host.size() + parts.port.size() + parts.user.size() + parts.password.size() <= url.size());

  const std::string encoded = sv::net::EncodeUrl(url);
  std::string decoded;
  for (size_t at = 0; at < encoded.size(); ++at) {
    const char c = encoded[at];
    REQUIRE((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '%');
    if (c != '%') {
      decoded += c;
      continue;
    }
    REQUIRE(at + 2 < encoded.size());
    decoded += static_cast<char>(HexValue(encoded[at + 1]) * 16 + HexValue(encoded[at + 2]));
    at += 2;
  }
  REQUIRE(decoded == url);

  const std::string base = sv::net::GetBaseUrl(url);
  REQUIRE(url.substr(0, base.size()) == base);
  for (const int n : {1, 2, -1, -2, 0, INT32_MAX, INT32_MIN}) {
    const int64_t at = sv::net::FindNthPos("/", url, n);
    REQUIRE(at >= 0 && at <= static_cast<int64_t>(url.size()) + 1);
    if (at >= 1 && at <= static_cast<int64_t>(url.size())) REQUIRE(url[static_cast<size_t>(at - 1)] == '/');
  }

  if (const auto target = sv::net::PlanRequest(url)) RequireRequestBuilds(*target);
  if (const auto target = sv::net::PlanRequest("http://h/p", url)) RequireRequestBuilds(*target);
  const sv::net::HttpTarget from = *sv::net::PlanRequest("http://u:p@origin.invalid:8080/dir/page");
  if (const auto next = sv::net::ResolveLocation(from, url)) {
    RequireRequestBuilds(next->target);
    if (next->target.targetHost != from.targetHost || next->target.targetPort != from.targetPort) {
      REQUIRE(next->target.user != "u" || next->target.password != "p" || url.find("u:p@") != std::string_view::npos);
    }
  }
  return 0;
}
