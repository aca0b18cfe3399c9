#include "forms/WindowClass.h"

namespace forms {

void RegisterPlainWindowClass(const wchar_t* className) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  // A repeated registration fails with ERROR_CLASS_ALREADY_EXISTS; CreateWindowExW reports any real failure.
  RegisterClassExW(&wc);
}

}  // namespace forms
