#pragma once
// The sending side of the single-instance hand-over: a second start gives
// each of its arguments, as a global atom, to the main window of the
// instance that runs, and ends.
#include <windows.h>

#include <string>
#include <vector>

namespace player {

// The running instance's main window: class "TForm1" titled "Sorivanel" (its
// application window and its info bubble bear the same title). It may be
// created a moment after the application window: waits up to `waitMs`.
HWND FindRunningMainWindow(DWORD waitMs);

// The arguments with every relative path made full against this process's
// current folder: the instance that treats them runs in another folder.
// Switches and stream addresses stay as they are.
std::vector<std::string> FullPathArguments(const std::vector<std::string>& arguments);

// One message per argument, in order, each handled before the next is sent.
// An atom the receiver did not take is deleted here, so none is left behind;
// nothing is added once the target is gone. An argument too long for an
// atom is skipped.
void HandOverArguments(HWND target, const std::vector<std::string>& arguments);

}  // namespace player
