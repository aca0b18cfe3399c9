#pragma once
// A real message loop for the desktop tests, with timestamps for the ticks.
#include <windows.h>

#include <chrono>
#include <functional>

namespace desktop_test {

using Clock = std::chrono::steady_clock;

inline double Milliseconds(Clock::duration span) { return std::chrono::duration<double, std::milli>(span).count(); }

// Dispatches messages until done() holds (checked after every message) or
// timeoutMs has passed; returns whether done() held.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (done && done()) return true;
    }
    if (done && done()) return true;
    const auto now = Clock::now();
    if (now >= deadline) return false;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left), QS_ALLINPUT);
  }
}

inline void PumpFor(int milliseconds) { PumpUntil(nullptr, milliseconds); }

}  // namespace desktop_test
