#include "net/core/ScrobblerClock.h"

#include <cstdio>

namespace sv::net {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back (the
// well-known era-based conversion; exact for every year an int holds here).
int64_t DaysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, CalendarTime& out) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  out.day = int(doy - (153 * mp + 2) / 5 + 1);
  out.month = int(mp < 10 ? mp + 3 : mp - 9);
  out.year = int(yoe + era * 400 + (out.month <= 2));
}

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

CalendarTime AddMinutes(const CalendarTime& time, int64_t minutes) {
  int64_t total = DaysFromCivil(time.year, time.month, time.day) * 1440 + time.hour * 60 + time.minute + minutes;
  const int64_t days = FloorDiv(total, 1440);
  total -= days * 1440;
  CalendarTime out = time;
  CivilFromDays(days, out);
  out.hour = int(total / 60);
  out.minute = int(total % 60);
  return out;
}

CalendarTime LocalToUtc(const CalendarTime& local, const ZoneInfo& zone) {
  switch (zone.rule) {
    case ZoneInfo::Rule::Unknown:
      return AddMinutes(local, zone.bias);
    case ZoneInfo::Rule::Standard:
      return AddMinutes(local, int64_t(zone.bias) + zone.standardBias);
    case ZoneInfo::Rule::Daylight:
      return AddMinutes(local, int64_t(zone.bias) + zone.daylightBias);
    case ZoneInfo::Rule::Invalid:
      break;
  }
  return local;
}

std::string FormatSubmissionTime(const CalendarTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
  return text;
}

std::string FormatLogTime(const CalendarTime& t) {
  char text[64];
  std::snprintf(text, sizeof text, "%02d-%02d-%04d %02d:%02d:%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
  return text;
}

}  // namespace sv::net
