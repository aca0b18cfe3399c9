#pragma once
// The seek and volume bars' arithmetic: where a press lands, and how far a
// five-second jump moves a stopped song. Lengths are 64-bit byte counts.
#include <cstdint>
#include <optional>

namespace player {

// max × x / (width − 4), rounded half to even, within 0..max. A bar 4 px
// wide or less has nothing to point at: nothing.
std::optional<std::int64_t> BarValueAt(std::int64_t max, int x, int width);

// Without a channel: the bytes `seconds` make in a song of `max` bytes and
// `lengthSeconds` seconds, rounded half to even; nothing while the length
// is unknown (0 or less).
std::optional<std::int64_t> JumpBytes(std::int64_t max, double lengthSeconds, double seconds);

}  // namespace player
