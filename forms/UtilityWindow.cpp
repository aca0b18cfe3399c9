#include "forms/UtilityWindow.h"

#include "forms/Dispatch.h"
#include "forms/WindowClass.h"

namespace forms {

namespace {
const wchar_t kClassName[] = L"SorivanelUtilityWindow";
}  // namespace

UtilityWindow::UtilityWindow(Handler handler, Kind kind) : handler_(std::move(handler)) {
  RegisterPlainWindowClass(kClassName);
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0,
                            kind == Kind::MessageOnly ? HWND_MESSAGE : nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (handle_) {
    SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UtilityWindow::Procedure));
  }
}

UtilityWindow::~UtilityWindow() {
  if (!handle_) return;
  // Messages that arrive while the window goes away find no object.
  SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
  DestroyWindow(handle_);
}

LRESULT CALLBACK UtilityWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<UtilityWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || !self->handler_) return DefWindowProcW(window, message, wParam, lParam);
  // The handler may destroy this object (a timer freeing the last timer), so
  // it runs from a copy and nothing here touches the object afterwards.
  Handler handler = self->handler_;
  return Guarded([&] { return handler(message, wParam, lParam); }, LRESULT{0});
}

}  // namespace forms
