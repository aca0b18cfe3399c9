#pragma once
// The text of the main window's time label.
#include <string>

namespace player {

enum class TimeMode { Remaining = 0, Elapsed = 1, Total = 2 };

// Remaining: "-nn:ss" of length - elapsed + 1 s; elapsed and total: " nn:ss".
// From one hour on the form is "hh:nn:ss", the hours counting on past a
// day; a negative time shows as zero.
std::string TimeLabelText(TimeMode mode, double elapsedSeconds, double lengthSeconds);

// The next mode after a press on the label.
TimeMode NextTimeMode(int mode);

}  // namespace player
