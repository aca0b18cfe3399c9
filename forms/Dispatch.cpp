#include "forms/Dispatch.h"

#include <windows.h>

#include <string>

#include "base/Exception.h"
#include "forms/ErrorText.h"
#include "forms/Wide.h"

namespace forms {

namespace {
ExceptionHandler& Handler() {
  static ExceptionHandler handler;
  return handler;
}
bool reporting = false;
}  // namespace

void SetExceptionHandler(ExceptionHandler handler) { Handler() = std::move(handler); }

void ReportException(std::exception_ptr error) noexcept {
  try {
    try {
      std::rethrow_exception(error);
    } catch (const sv::Abort&) {
      return;
    } catch (...) {
    }
    if (Handler()) {
      Handler()(error);
      return;
    }
    // No application yet: a plain box, once at a time so that a failing
    // paint does not stack boxes.
    if (reporting) return;
    reporting = true;
    MessageBoxW(nullptr, widen(ErrorText(error)).c_str(), L"Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    reporting = false;
  } catch (...) {
    reporting = false;
  }
}

}  // namespace forms
