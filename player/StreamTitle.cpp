#include "player/StreamTitle.h"

#include <string_view>

#include "base/Ascii.h"
#include "base/Utf.h"

namespace player {

namespace {

std::string Decode(std::string_view bytes) {
  return sv::IsValidUtf8(bytes) ? std::string(bytes) : sv::Cp1252ToUtf8(bytes);
}

}  // namespace

std::optional<std::string> StationNameFromHeaders(const char* list, std::size_t size) {
  constexpr std::string_view kName = "icy-name:";
  if (list == nullptr) return std::nullopt;
  const std::string_view all(list, size);
  std::size_t at = 0;
  while (at < all.size()) {
    std::size_t end = all.find('\0', at);
    if (end == std::string_view::npos) end = all.size();
    const std::string_view text = all.substr(at, end - at);
    if (text.empty()) break;
    if (text.substr(0, kName.size()) == kName) return Decode(text.substr(kName.size()));
    at = end + 1;
  }
  return std::nullopt;
}

std::string StreamTitleFromMetadata(const char* data, std::size_t size) {
  constexpr std::string_view kKey = "StreamTitle=";
  if (data == nullptr) return {};
  std::string_view text(data, size);
  text = text.substr(0, text.find('\0'));
  const std::size_t key = text.find(kKey);
  if (key == std::string_view::npos) return {};
  std::string_view value = text.substr(key + kKey.size());
  const bool quoted = !value.empty() && value.front() == '\'';
  if (quoted) value.remove_prefix(1);
  std::size_t end = quoted ? value.find("';") : std::string_view::npos;
  if (end == std::string_view::npos) end = value.find(';');
  if (end != std::string_view::npos) {
    value = value.substr(0, end);
  } else if (quoted && !value.empty() && value.back() == '\'') {
    value.remove_suffix(1);
  }
  return Decode(sv::Trim(value));
}

}  // namespace player
