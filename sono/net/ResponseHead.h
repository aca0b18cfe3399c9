#pragma once
// The head of an HTTP/1.x or ICY response: status line and header fields.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sono::net {

struct HeaderField {
  std::string name;
  std::string value;  // blanks around it removed
};

struct ResponseHead {
  std::string protocol;  // "HTTP/1.0", "HTTP/1.1" or "ICY"
  int status = 0;
  std::string reason;
  std::vector<HeaderField> fields;
  // The status line and each field line as received, without line ends.
  std::vector<std::string> lines;

  // The first field of that name, compared without regard to case.
  std::optional<std::string_view> Find(std::string_view name) const;
};

// Heads larger than this are refused rather than buffered without end.
inline constexpr size_t kMaxHeadSize = 64 * 1024;
// Metadata intervals beyond this are taken as hostile.
inline constexpr size_t kMaxMetaInterval = 1024 * 1024;

// Offset just past the blank line that ends the head (CR LF or bare LF line
// ends), or npos while it has not arrived.
size_t FindHeadEnd(std::string_view bytes);

// Nullopt when the first line is not "HTTP/x.y nnn …" or "ICY nnn …".
// Field lines without a colon and lines holding NUL bytes are skipped.
std::optional<ResponseHead> ParseResponseHead(std::string_view head);

// The value of "icy-metaint": 0 when absent, nullopt when it is not a
// decimal number up to kMaxMetaInterval.
std::optional<size_t> MetaInterval(const ResponseHead& head);

}  // namespace sono::net
