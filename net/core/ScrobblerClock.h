#pragma once
// Calendar times of the track-submission client. The client never reads the
// system clock itself: the Win32 glue supplies local time and the zone
// information, tests supply fixed values.
#include <cstdint>
#include <functional>
#include <string>

namespace sv::net {

struct CalendarTime {
  int year = 1970;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// What the system reports about the local time zone, in the shape the
// Win32 zone query gives it: which rule is in force and the biases in
// minutes (UTC = local + bias).
struct ZoneInfo {
  enum class Rule { Unknown, Standard, Daylight, Invalid };
  Rule rule = Rule::Invalid;
  int32_t bias = 0;
  int32_t standardBias = 0;
  int32_t daylightBias = 0;
};

// The same instant in UTC: bias for Unknown, bias + standardBias for
// Standard, bias + daylightBias for Daylight; Invalid leaves it unchanged.
CalendarTime LocalToUtc(const CalendarTime& local, const ZoneInfo& zone);

// Moves the time by whole minutes across day, month and year ends.
CalendarTime AddMinutes(const CalendarTime& time, int64_t minutes);

// "yyyy-mm-dd hh:nn:ss": the start time sent with a track.
std::string FormatSubmissionTime(const CalendarTime& utc);
// "dd-mm-yyyy hh:nn:ss": the date of a log line.
std::string FormatLogTime(const CalendarTime& local);

// One reading of the clock: the local time for the log, UTC for the track.
struct ClockReading {
  CalendarTime local;
  CalendarTime utc;
};
using ScrobblerClockFn = std::function<ClockReading()>;

}  // namespace sv::net
