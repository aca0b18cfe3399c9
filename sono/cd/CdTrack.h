#pragma once
// Audio CD tracks as the system shows them ("D:\Track05.cda") and where
// their sectors lie on the disc.
#include <cstdint>
#include <optional>
#include <string_view>

#include "sono/cd/DiscId.h"

namespace sono::cd {

// Each sector holds 1/75 s of 44.1 kHz 16-bit stereo: 588 frames.
inline constexpr uint32_t kSectorBytes = 2352;

struct SectorSpan {
  uint32_t first = 0;  // logical sector: frame address less the lead-in
  uint32_t count = 0;
};

// The number n of a "Tracknn.cda" path (any case, 1 to 99); nullopt for
// other names.
std::optional<int> TrackNumberFromPath(std::string_view path);

// The sectors of track n (from 1), up to the next track or the lead-out.
std::optional<SectorSpan> TrackSectors(const TableOfContents& toc, int track);

}  // namespace sono::cd
