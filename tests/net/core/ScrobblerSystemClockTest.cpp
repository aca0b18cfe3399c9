// The client's start times against the system's own UTC clock, under Wine.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "net/core/platform/ScrobblerSystemClock.h"

namespace {

using namespace std::chrono;

int64_t Seconds(int y, int mo, int d, int h, int mi, int s) {
  const sys_days date = year_month_day{year{y}, month{unsigned(mo)}, day{unsigned(d)}};
  return duration_cast<seconds>(date.time_since_epoch()).count() + h * 3600 + mi * 60 + s;
}

int64_t SystemSeconds() {
  SYSTEMTIME utc{};
  GetSystemTime(&utc);
  return Seconds(utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
}

TEST(ScrobblerSystemClock, UtcAgreesWithTheSystem) {
  // Read between two readings of the system's clock, however long apart.
  const int64_t before = SystemSeconds();
  const sv::net::ClockReading reading = sv::net::ReadScrobblerClock();
  const int64_t after = SystemSeconds();
  const int64_t ours = Seconds(reading.utc.year, reading.utc.month, reading.utc.day, reading.utc.hour,
                               reading.utc.minute, reading.utc.second);
  EXPECT_GE(ours, before);
  EXPECT_LE(ours, after);
  EXPECT_NE(sv::net::ReadZoneInfo().rule, sv::net::ZoneInfo::Rule::Invalid);
}

}  // namespace
#endif
