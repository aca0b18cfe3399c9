#include "sono/net/ResponseHead.h"

#include "base/Ascii.h"

namespace sono::net {

namespace {

// The next line of text and the rest after its end (LF, with a CR before it
// dropped).
std::string_view NextLine(std::string_view& text) {
  const size_t end = text.find('\n');
  std::string_view line = text.substr(0, end);
  text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool ParseStatusLine(std::string_view line, ResponseHead& head) {
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return false;
  const std::string_view protocol = line.substr(0, space);
  const bool http = protocol.size() == 8 && protocol.substr(0, 5) == "HTTP/" && protocol[6] == '.' &&
                    protocol[5] >= '0' && protocol[5] <= '9' && protocol[7] >= '0' && protocol[7] <= '9';
  if (!http && protocol != "ICY") return false;
  std::string_view rest = line.substr(space + 1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  if (rest.size() < 3) return false;
  int status = 0;
  for (size_t i = 0; i < 3; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return false;
    status = status * 10 + (rest[i] - '0');
  }
  if (rest.size() > 3 && rest[3] != ' ') return false;
  head.protocol = std::string(protocol);
  head.status = status;
  head.reason = std::string(sv::TrimBlanks(rest.substr(3)));
  return status >= 100;
}

}  // namespace

std::optional<std::string_view> ResponseHead::Find(std::string_view name) const {
  for (const auto& field : fields) {
    if (sv::SameTextAscii(field.name, name)) return std::string_view(field.value);
  }
  return std::nullopt;
}

size_t FindHeadEnd(std::string_view bytes) {
  for (size_t i = bytes.find('\n'); i != std::string_view::npos; i = bytes.find('\n', i + 1)) {
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') return i + 2;
    if (i + 2 < bytes.size() && bytes[i + 1] == '\r' && bytes[i + 2] == '\n') return i + 3;
  }
  return std::string_view::npos;
}

std::optional<ResponseHead> ParseResponseHead(std::string_view text) {
  ResponseHead head;
  const std::string_view status = NextLine(text);
  if (status.find('\0') != std::string_view::npos || !ParseStatusLine(status, head)) return std::nullopt;
  head.lines.emplace_back(status);
  while (!text.empty()) {
    const std::string_view line = NextLine(text);
    if (line.empty()) break;
    if (line.find('\0') != std::string_view::npos) continue;
    if ((line.front() == ' ' || line.front() == '\t') && !head.fields.empty()) {
      // A folded continuation of the previous field.
      auto& value = head.fields.back().value;
      value = std::string(sv::TrimBlanks(value + " " + std::string(sv::TrimBlanks(line))));
      head.lines.back() += " " + std::string(sv::TrimBlanks(line));
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = sv::TrimBlanks(line.substr(0, colon));
    if (name.empty() || name.find_first_of(" \t") != std::string_view::npos) continue;
    head.fields.push_back({std::string(name), std::string(sv::TrimBlanks(line.substr(colon + 1)))});
    head.lines.emplace_back(line);
  }
  return head;
}

std::optional<size_t> MetaInterval(const ResponseHead& head) {
  const auto value = head.Find("icy-metaint");
  if (!value) return 0;
  if (value->empty()) return std::nullopt;
  size_t interval = 0;
  for (char c : *value) {
    if (c < '0' || c > '9') return std::nullopt;
    interval = interval * 10 + static_cast<size_t>(c - '0');
    if (interval > kMaxMetaInterval) return std::nullopt;
  }
  return interval;
}

}  // namespace sono::net
