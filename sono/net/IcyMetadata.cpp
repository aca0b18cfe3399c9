#include "sono/net/IcyMetadata.h"

#include "base/Ascii.h"

namespace sono::net {

namespace {

constexpr std::string_view kTitleKey = "StreamTitle='";

bool IsKeyChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// True when text is empty or opens with another field "Key='".
bool StartsField(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty()) return true;
  size_t i = 0;
  while (i < text.size() && IsKeyChar(text[i])) ++i;
  return i > 0 && text.substr(i, 2) == "='";
}

// Where the title key starts: at the beginning or after a ';'.
size_t FindTitleKey(std::string_view text) {
  for (size_t at = 0; at + kTitleKey.size() <= text.size(); ++at) {
    if (at > 0 && text[at - 1] != ';' && text[at - 1] != ' ') continue;
    if (sv::SameTextAscii(text.substr(at, kTitleKey.size()), kTitleKey)) return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::string_view MetadataText(std::string_view block) { return block.substr(0, block.find('\0')); }

std::optional<std::string> StreamTitle(std::string_view block) {
  const std::string_view text = MetadataText(block);
  const size_t key = FindTitleKey(text);
  if (key == std::string_view::npos) return std::nullopt;
  const std::string_view value = text.substr(key + kTitleKey.size());
  for (size_t end = value.find("';"); end != std::string_view::npos; end = value.find("';", end + 1)) {
    if (StartsField(value.substr(end + 2))) return std::string(value.substr(0, end));
  }
  // No field end that fits: a trailing quote still closes the value.
  const size_t quote = value.rfind('\'');
  return std::string(quote == std::string_view::npos ? value : value.substr(0, quote));
}

}  // namespace sono::net
