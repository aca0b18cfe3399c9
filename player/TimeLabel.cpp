#include "player/TimeLabel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace player {

namespace {

std::string ClockText(double seconds) {
  // Past a day the hours go on counting (a time of day would start again).
  constexpr double kLongest = 1e12;
  const double clamped = std::isfinite(seconds) && seconds > 0 ? std::min(seconds, kLongest) : 0.0;
  const long long total = std::llround(clamped * 1000.0) / 1000;
  const long long h = total / 3600;
  const int m = static_cast<int>(total / 60 % 60), s = static_cast<int>(total % 60);
  char buf[32];
  if (clamped < 3600.0)
    std::snprintf(buf, sizeof buf, "%02d:%02d", m, s);
  else
    std::snprintf(buf, sizeof buf, "%02lld:%02d:%02d", h, m, s);
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
