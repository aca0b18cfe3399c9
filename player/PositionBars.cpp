#include "player/PositionBars.h"

#include <algorithm>
#include <cmath>

#include "base/Numbers.h"

namespace player {

std::optional<std::int64_t> BarValueAt(std::int64_t max, int x, int width) {
  if (width <= 4) return std::nullopt;
  if (max <= 0) return 0;
  // In long double: a byte count past 2^53 keeps its last digits.
  const long double value = static_cast<long double>(max) * x / (width - 4);
  if (value <= 0) return 0;
  if (value >= static_cast<long double>(max)) return max;
  return std::clamp<std::int64_t>(sv::Round(static_cast<double>(value)), 0, max);
}

std::optional<std::int64_t> JumpBytes(std::int64_t max, double lengthSeconds, double seconds) {
  if (!(lengthSeconds > 0)) return std::nullopt;
  return sv::Round(static_cast<double>(max) / lengthSeconds * seconds);
}

}  // namespace player
