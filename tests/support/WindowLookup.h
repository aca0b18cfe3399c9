#pragma once
// Finding the windows and controls of a program under test and talking to
// them with plain window messages.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace svtest {

// A top-level window with that class and title (either may be empty: any),
// of that process when processId is not 0; waits up to the time and pumps
// this thread's messages meanwhile. Null when none came.
HWND WaitForWindow(std::string_view className, std::string_view title, DWORD timeoutMs = 10000, DWORD processId = 0);

// A descendant window whose name property (set by our windowed controls)
// is `name`, ignoring case; null when none.
HWND FindChildByName(HWND parent, std::string_view name);

std::string WindowText(HWND window);
std::string WindowClass(HWND window);
DWORD WindowProcess(HWND window);

// SendMessage that gives up after the time (nullopt then).
std::optional<LRESULT> SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, DWORD timeoutMs = 5000);
bool PostTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Dispatches this thread's pending messages (a WM_QUIT found is posted
// again and ends the pumping).
void PumpMessages();
// Polls the condition about every 10 ms, pumping this thread's messages,
// until it holds (true) or the time is up (false).
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 30000);

}  // namespace svtest
