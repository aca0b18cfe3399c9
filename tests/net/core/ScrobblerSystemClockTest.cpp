// The client's start times against the system's own UTC clock, under Wine.
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "net/core/platform/ScrobblerSystemClock.h"

namespace {

using namespace std::chrono;

int64_t Seconds(int y, int mo, int d, int h, int mi, int s) {
  const sys_days date = year_month_day{year{y}, month{unsigned(mo)}, day{unsigned(d)}};
  return duration_cast<seconds>(date.time_since_epoch()).count() + h * 3600 + mi * 60 + s;
}

TEST(ScrobblerSystemClock, UtcAgreesWithTheSystem) {
  const sv::net::ClockReading reading = sv::net::ReadScrobblerClock();
  SYSTEMTIME utc{};
  GetSystemTime(&utc);
  const int64_t ours = Seconds(reading.utc.year, reading.utc.month, reading.utc.day, reading.utc.hour,
                               reading.utc.minute, reading.utc.second);
  const int64_t system = Seconds(utc.wYear, utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, utc.wSecond);
  EXPECT_LE(std::abs(ours - system), 2);
  EXPECT_NE(sv::net::ReadZoneInfo().rule, sv::net::ZoneInfo::Rule::Invalid);
}

}  // namespace
#endif
