#pragma once
// The CD database identity of an audio disc, computed from its table of
// contents alone, so that the same disc gives the same text on every drive.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sono::cd {

// Frames are 1/75 s. Addresses are absolute: the first track of a pressed
// disc starts at frame 150, after the 2-second lead-in.
inline constexpr uint32_t kFramesPerSecond = 75;
inline constexpr uint32_t kLeadInFrames = 150;
inline constexpr size_t kMaxTracks = 99;

struct TableOfContents {
  std::vector<uint32_t> trackOffsets;  // start frame of each track, in order
  uint32_t leadOut = 0;                // start frame of the lead-out
};

// Frame address of a minute:second:frame position as drives report it.
constexpr uint32_t FramesFromMsf(uint32_t minutes, uint32_t seconds, uint32_t frames) {
  return (minutes * 60 + seconds) * kFramesPerSecond + frames;
}

// True when the table can describe a disc: 1 to 99 tracks whose offsets rise
// strictly and end before the lead-out.
bool IsPlausible(const TableOfContents& toc);

// The 32-bit disc id: digit sums of the track start seconds modulo 255 in the
// top byte, the playing time in seconds from the first track to the lead-out
// in the middle 16 bits, the track count in the low byte. Nullopt when the
// table is not plausible.
std::optional<uint32_t> DiscId(const TableOfContents& toc);

// "discid ntracks offset1 ... offsetN seconds" with the id in eight lower
// case hex digits and seconds the lead-out's start second, the text a
// database query carries. Nullopt when the table is not plausible.
std::optional<std::string> QueryText(const TableOfContents& toc);

}  // namespace sono::cd
