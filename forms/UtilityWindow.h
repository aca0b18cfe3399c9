#pragma once
// A hidden window whose messages go to a handler: the shared window of the
// light timers, the tray icons, the hot-key manager and the sockets.
#include <windows.h>

#include <functional>

namespace forms {

class UtilityWindow {
 public:
  // The handler answers every message; it calls DefaultHandle for what it
  // does not handle itself. It runs guarded.
  using Handler = std::function<LRESULT(UINT message, WPARAM wParam, LPARAM lParam)>;

  enum class Kind {
    HiddenTopLevel,  // receives broadcasts and session messages
    MessageOnly,     // timers and hot keys need nothing more
  };

  explicit UtilityWindow(Handler handler, Kind kind = Kind::HiddenTopLevel);
  ~UtilityWindow();
  UtilityWindow(const UtilityWindow&) = delete;
  UtilityWindow& operator=(const UtilityWindow&) = delete;

  HWND Handle() const { return handle_; }
  LRESULT DefaultHandle(UINT message, WPARAM wParam, LPARAM lParam) const {
    return DefWindowProcW(handle_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  Handler handler_;
  HWND handle_ = nullptr;
};

}  // namespace forms
