#pragma once
// The system's clock and time zone for the track-submission client (Win32
// only): local time from the system, UTC by the zone rule in force.
#include "net/core/ScrobblerClock.h"

namespace sv::net {

ZoneInfo ReadZoneInfo();
ClockReading ReadScrobblerClock();

}  // namespace sv::net
