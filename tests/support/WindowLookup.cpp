#include "tests/support/WindowLookup.h"

#include "forms/NameProperty.h"
#include "forms/Wide.h"

namespace svtest {

namespace {

bool Matches(HWND window, std::string_view className, std::string_view title, DWORD processId) {
  if (processId && WindowProcess(window) != processId) return false;
  if (!className.empty() && WindowClass(window) != className) return false;
  if (!title.empty() && WindowText(window) != title) return false;
  return true;
}

HWND FindTopLevel(std::string_view className, std::string_view title, DWORD processId) {
  std::wstring wideClass = forms::widen(className);
  std::wstring wideTitle = forms::widen(title);
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, className.empty() ? nullptr : wideClass.c_str(),
                                 title.empty() ? nullptr : wideTitle.c_str())) != nullptr) {
    if (Matches(window, className, title, processId)) return window;
  }
  return nullptr;
}

struct NameSearch {
  std::string_view name;
  HWND found;
};

BOOL CALLBACK CheckName(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<NameSearch*>(data);
  std::string name = forms::ReadNameProperty(window);
  if (name.size() == search->name.size() &&
      CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.data(), static_cast<int>(name.size()), search->name.data(),
                     static_cast<int>(search->name.size())) == CSTR_EQUAL) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND WaitForWindow(std::string_view className, std::string_view title, DWORD timeoutMs, DWORD processId) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindTopLevel(className, title, processId)) != nullptr; }, timeoutMs);
  return found;
}

HWND FindChildByName(HWND parent, std::string_view name) {
  NameSearch search{name, nullptr};
  EnumChildWindows(parent, &CheckName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::string WindowText(HWND window) {
  wchar_t buffer[1024];
  int length = InternalGetWindowText(window, buffer, 1024);
  return forms::narrow(std::wstring_view(buffer, static_cast<std::size_t>(length > 0 ? length : 0)));
}

std::string WindowClass(HWND window) {
  wchar_t buffer[256];
  int length = GetClassNameW(window, buffer, 256);
  return forms::narrow(std::wstring_view(buffer, static_cast<std::size_t>(length > 0 ? length : 0)));
}

DWORD WindowProcess(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

std::optional<LRESULT> SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result)) return std::nullopt;
  return static_cast<LRESULT>(result);
}

bool PostTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostMessageW(window, message, wParam, lParam) != FALSE;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (true) {
    PumpMessages();
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

}  // namespace svtest
