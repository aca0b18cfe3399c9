#include "sono/cd/DiscId.h"

#include <cstdio>

namespace sono::cd {

namespace {

uint32_t DigitSum(uint32_t value) {
  uint32_t sum = 0;
  for (; value > 0; value /= 10) sum += value % 10;
  return sum;
}

}  // namespace

bool IsPlausible(const TableOfContents& toc) {
  const auto& offsets = toc.trackOffsets;
  if (offsets.empty() || offsets.size() > kMaxTracks) return false;
  for (size_t i = 1; i < offsets.size(); ++i) {
    if (offsets[i] <= offsets[i - 1]) return false;
  }
  return toc.leadOut > offsets.back();
}

std::optional<uint32_t> DiscId(const TableOfContents& toc) {
  if (!IsPlausible(toc)) return std::nullopt;
  uint32_t digits = 0;
  for (uint32_t offset : toc.trackOffsets) digits += DigitSum(offset / kFramesPerSecond);
  const uint32_t playing = toc.leadOut / kFramesPerSecond - toc.trackOffsets.front() / kFramesPerSecond;
  // A real disc lasts under 80 minutes; the mask only keeps a forged table's
  // seconds from spilling into the checksum byte.
  return (digits % 255) << 24 | (playing & 0xFFFF) << 8 | static_cast<uint32_t>(toc.trackOffsets.size());
}

std::optional<std::string> QueryText(const TableOfContents& toc) {
  const auto id = DiscId(toc);
  if (!id) return std::nullopt;
  char head[32];
  std::snprintf(head, sizeof head, "%08x %zu", *id, toc.trackOffsets.size());
  std::string text = head;
  for (uint32_t offset : toc.trackOffsets) text += ' ' + std::to_string(offset);
  text += ' ' + std::to_string(toc.leadOut / kFramesPerSecond);
  return text;
}

}  // namespace sono::cd
