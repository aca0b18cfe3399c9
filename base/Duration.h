#pragma once
#include <string>

namespace sv {

// "nn:ss" under one hour, "hh:nn:ss" from one hour on, hours counted past 24
// ("25:00:00"). Seconds are rounded to milliseconds and then cut to whole
// seconds, as times of day are decoded. Negative or NaN gives "00:00".
std::string DurationText(double seconds);

}  // namespace sv
