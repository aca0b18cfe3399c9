#include "net/core/platform/ScrobblerSystemClock.h"

#include <windows.h>

namespace sv::net {

ZoneInfo ReadZoneInfo() {
  TIME_ZONE_INFORMATION info{};
  ZoneInfo zone;
  switch (GetTimeZoneInformation(&info)) {
    case TIME_ZONE_ID_UNKNOWN:
      zone.rule = ZoneInfo::Rule::Unknown;
      break;
    case TIME_ZONE_ID_STANDARD:
      zone.rule = ZoneInfo::Rule::Standard;
      break;
    case TIME_ZONE_ID_DAYLIGHT:
      zone.rule = ZoneInfo::Rule::Daylight;
      break;
    default:
      return zone;
  }
  zone.bias = info.Bias;
  zone.standardBias = info.StandardBias;
  zone.daylightBias = info.DaylightBias;
  return zone;
}

ClockReading ReadScrobblerClock() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  ClockReading reading;
  reading.local = CalendarTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  reading.utc = LocalToUtc(reading.local, ReadZoneInfo());
  return reading;
}

}  // namespace sv::net
