// Response heads, redirect targets and proxy settings from a server or a
// settings file: parsing never fails hard, and what parses is consistent.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "sono/net/HttpRequest.h"
#include "sono/net/ProxySetting.h"
#include "sono/net/ResponseHead.h"
#include "sono/net/Url.h"

namespace {

// A request line or header must never carry a line break from the input:
// CR and LF only come as the pairs that end lines, and only the last line is
// empty.
void RequireOneLinePerField(const std::string& request) {
  for (size_t at = 0; at < request.size(); ++at) {
    if (request[at] == '\r') REQUIRE(at + 1 < request.size() && request[at + 1] == '\n');
    if (request[at] == '\n') REQUIRE(at > 0 && request[at - 1] == '\r');
  }
  REQUIRE(request.find("\r\n\r\n") == request.size() - 4);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const size_t end = sono::net::FindHeadEnd(text);
  REQUIRE(end == std::string_view::npos || (end <= size && text[end - 1] == '\n'));

  const auto head = sono::net::ParseResponseHead(text.substr(0, end));
  const sono::net::HttpUrl base{"radio.invalid", 8000, "/dir/stream"};
  if (head) {
    REQUIRE(head->status >= 100 && head->status <= 999);
    REQUIRE(head->lines.size() == head->fields.size() + 1);
    for (const auto& line : head->lines) REQUIRE(line.find('\0') == std::string::npos);
    if (const auto interval = sono::net::MetaInterval(*head)) REQUIRE(*interval <= sono::net::kMaxMetaInterval);
    if (const auto location = head->Find("Location")) {
      if (const auto target = sono::net::ResolveLocation(base, *location)) {
        REQUIRE(!target->host.empty() && target->port > 0 && !target->path.empty());
        RequireOneLinePerField(sono::net::BuildStreamRequest(*target, nullptr));
      }
    }
  }

  // The same bytes as a proxy setting and as an address.
  if (const auto proxy = sono::net::ParseProxySetting(text)) {
    REQUIRE(!proxy->host.empty() && proxy->port > 0);
    if (const auto url = sono::net::SplitHttpUrl(text)) RequireOneLinePerField(sono::net::BuildStreamRequest(*url, &*proxy));
  } else if (const auto url = sono::net::SplitHttpUrl(text)) {
    REQUIRE(url->path.front() == '/');
    RequireOneLinePerField(sono::net::BuildStreamRequest(*url, nullptr));
  }
  return 0;
}
