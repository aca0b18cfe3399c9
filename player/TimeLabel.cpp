#include "player/TimeLabel.h"

#include <cmath>
#include <cstdio>

namespace player {

namespace {

std::string ClockText(double seconds) {
  constexpr long long kMsPerDay = 86400000;
  long long ms = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds * 1000.0) : 0;
  ms %= kMsPerDay;
  const long long total = ms / 1000;
  const int h = static_cast<int>(total / 3600), m = static_cast<int>(total / 60 % 60), s = static_cast<int>(total % 60);
  char buf[16];
  if (seconds < 3600.0)
    std::snprintf(buf, sizeof buf, "%02d:%02d", m, s);
  else
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, m, s);
  return buf;
}

}  // namespace

std::string TimeLabelText(TimeMode mode, double elapsedSeconds, double lengthSeconds) {
  switch (mode) {
    case TimeMode::Remaining:
      return "-" + ClockText(lengthSeconds - elapsedSeconds + 1.0);
    case TimeMode::Elapsed:
      return " " + ClockText(elapsedSeconds);
    case TimeMode::Total:
      break;
  }
  return " " + ClockText(lengthSeconds);
}

TimeMode NextTimeMode(int mode) {
  const int next = mode + 1;
  return next >= 1 && next <= 2 ? static_cast<TimeMode>(next) : TimeMode::Remaining;
}

}  // namespace player
