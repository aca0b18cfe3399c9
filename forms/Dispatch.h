#pragma once
// Every window procedure, timer, hook and callback runs its work through
// Guarded: an exception never crosses a Win32 frame; it is reported through
// the application's error handler (a modal box titled with the application's
// title) and the program goes on.
#include <exception>
#include <functional>
#include <type_traits>

namespace forms {

using ExceptionHandler = std::function<void(std::exception_ptr)>;

// The application installs its own handler; without one a plain error box is
// shown. sv::Abort is always silent.
void SetExceptionHandler(ExceptionHandler handler);
void ReportException(std::exception_ptr error) noexcept;

template <class F>
auto Guarded(F&& work, std::invoke_result_t<F> onError = {}) noexcept -> std::invoke_result_t<F> {
  try {
    return work();
  } catch (...) {
    ReportException(std::current_exception());
    return onError;
  }
}

template <class F>
  requires std::is_void_v<std::invoke_result_t<F>>
void Guarded(F&& work) noexcept {
  try {
    work();
  } catch (...) {
    ReportException(std::current_exception());
  }
}

}  // namespace forms
