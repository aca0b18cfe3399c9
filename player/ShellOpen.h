#pragma once
// Opens a file or an address with the shell's default action (the version
// check's site, the skin editor, a folder).
#include <windows.h>

#include <string>

namespace player {

// Shows the hourglass while the shell works; the cursor comes back on every
// path. Returns whether the shell accepted the request.
bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters);

}  // namespace player
