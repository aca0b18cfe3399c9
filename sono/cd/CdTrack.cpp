#include "sono/cd/CdTrack.h"

#include "base/Ascii.h"

namespace sono::cd {

std::optional<int> TrackNumberFromPath(std::string_view path) {
  const size_t slash = path.find_last_of("\\/:");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (name.size() != 11 || !sv::SameTextAscii(name.substr(0, 5), "track") ||
      !sv::SameTextAscii(name.substr(7), ".cda")) {
    return std::nullopt;
  }
  const char tens = name[5];
  const char ones = name[6];
  if (tens < '0' || tens > '9' || ones < '0' || ones > '9') return std::nullopt;
  const int number = (tens - '0') * 10 + (ones - '0');
  if (number < 1) return std::nullopt;
  return number;
}

std::optional<SectorSpan> TrackSectors(const TableOfContents& toc, int track) {
  if (!IsPlausible(toc) || track < 1 || static_cast<size_t>(track) > toc.trackOffsets.size()) return std::nullopt;
  const uint32_t start = toc.trackOffsets[static_cast<size_t>(track) - 1];
  const uint32_t end =
      static_cast<size_t>(track) < toc.trackOffsets.size() ? toc.trackOffsets[static_cast<size_t>(track)] : toc.leadOut;
  if (start < kLeadInFrames) return std::nullopt;
  return SectorSpan{start - kLeadInFrames, end - start};
}

}  // namespace sono::cd
