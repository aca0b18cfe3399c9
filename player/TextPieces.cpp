#include "player/TextPieces.h"

#include "base/Ascii.h"

namespace player {

std::vector<std::string> SplitToList(std::string_view text, char separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) pieces.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

std::string GetExtInfTitle(std::string_view line) {
  constexpr std::string_view kPrefix = "#EXTINF:";
  if (line.size() < kPrefix.size() || !sv::SameTextAscii(line.substr(0, kPrefix.size()), kPrefix)) return {};
  const std::size_t comma = line.find(',');
  if (comma == std::string_view::npos) return {};
  return std::string(sv::Trim(line.substr(comma + 1)));
}

}  // namespace player
