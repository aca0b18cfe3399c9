// msn_receiver <log> <windows> [hang]: stands in for the messenger. It
// makes <windows> top-level windows of the messenger's class and appends
// one line per WM_COPYDATA to <log>: the window's number (in creation
// order), dwData and cbData in hexadecimal and the data's bytes in
// hexadecimal. With "hang" the first window lives on a thread of its own
// that, after logging its first message, never answers again.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

std::mutex g_logLock;
std::wstring g_logPath;
std::vector<HWND> g_windows;
HWND g_hanging = nullptr;
HANDLE g_never = nullptr;

void Log(HWND window, const COPYDATASTRUCT& data) {
  std::lock_guard<std::mutex> lock(g_logLock);
  int number = -1;
  for (std::size_t i = 0; i < g_windows.size(); ++i)
    if (g_windows[i] == window) number = static_cast<int>(i);
  std::string line = std::to_string(number);
  char field[32];
  std::snprintf(field, sizeof field, " %llX %lX ", static_cast<unsigned long long>(data.dwData),
                static_cast<unsigned long>(data.cbData));
  line += field;
  const auto* bytes = static_cast<const unsigned char*>(data.lpData);
  for (DWORD i = 0; bytes && i < data.cbData; ++i) {
    std::snprintf(field, sizeof field, "%02X", bytes[i]);
    line += field;
  }
  line += "\n";
  if (FILE* file = _wfopen(g_logPath.c_str(), L"ab")) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
  }
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    Log(window, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    if (window == g_hanging) WaitForSingleObject(g_never, INFINITE);
    return TRUE;
  }
  if (message == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND Make() {
  return CreateWindowExW(0, L"MsnMsgrUIManager", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 3) return 2;
  g_logPath = argv[1];
  const int count = std::max(0, _wtoi(argv[2]));
  const bool hang = argc > 3 && std::wcscmp(argv[3], L"hang") == 0;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"MsnMsgrUIManager";
  if (!RegisterClassW(&windowClass)) return 1;
  g_windows.resize(static_cast<std::size_t>(count));
  g_never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE made = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  int first = 0;
  if (hang && count > 0) {
    std::thread([made] {
      HWND window = Make();
      {
        std::lock_guard<std::mutex> lock(g_logLock);
        g_windows[0] = window;
        g_hanging = window;
      }
      SetEvent(made);
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    }).detach();
    WaitForSingleObject(made, INFINITE);
    first = 1;
  }
  for (int i = first; i < count; ++i) {
    HWND window = Make();
    std::lock_guard<std::mutex> lock(g_logLock);
    g_windows[static_cast<std::size_t>(i)] = window;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  ExitProcess(0);
}
