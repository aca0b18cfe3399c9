#include "base/Duration.h"

#include <cmath>
#include <cstdio>

#include "base/Numbers.h"

namespace sv {

std::string DurationText(double seconds) {
  if (!(seconds >= 0)) return "00:00";
  // Beyond any real duration; keeps the millisecond count in range.
  if (seconds > 1e15) seconds = 1e15;
  const int64_t total = Round(seconds * 1000) / 1000;
  const long long hours = total / 3600;
  const int minutes = static_cast<int>(total / 60 % 60);
  const int secs = static_cast<int>(total % 60);
  char buf[48];
  if (hours == 0) std::snprintf(buf, sizeof buf, "%02d:%02d", minutes, secs);
  else std::snprintf(buf, sizeof buf, "%02lld:%02d:%02d", hours, minutes, secs);
  return buf;
}

}  // namespace sv
