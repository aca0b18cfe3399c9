#include "player/ShellOpen.h"

#include <shellapi.h>

#include "forms/Wide.h"

namespace player {

namespace {
class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};
}  // namespace

bool ShellOpen(HWND owner, const std::string& target, const std::string& parameters) {
  WaitCursor wait;
  const std::wstring file = forms::widen(target);
  const std::wstring params = forms::widen(parameters);
  // Values above 32 mean success.
  const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(
      owner, nullptr, file.c_str(), params.empty() ? nullptr : params.c_str(), nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace player
