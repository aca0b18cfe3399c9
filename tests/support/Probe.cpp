// sv_probe: a small helper process for tests that need a second program:
//   sv_probe hotkey <mods> <vk>      exit 0 if RegisterHotKey succeeds (the
//                                    key is released at once), else the
//                                    system error (1409: already taken)
//   sv_probe findwindow <class> <title>   "-" for either means any; exit 0
//                                    and the handle in decimal when found
//   sv_probe atom <name>             exit 0 and the atom when the global
//                                    atom exists
//   sv_probe writefile <path>        creates the file: shows that the
//                                    probe ran when started by the shell
//   sv_probe holddesktop             keeps the desktop in use until
//   sv_probe releasedesktop          this is run (see wine-init)
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int Usage() {
  std::fputs(
      "usage: sv_probe hotkey <mods> <vk> | findwindow <class> <title> | atom <name> | writefile <path> | "
      "holddesktop | releasedesktop\n",
      stderr);
  return 2;
}

const wchar_t* Optional(const wchar_t* argument) { return std::wcscmp(argument, L"-") == 0 ? nullptr : argument; }

constexpr wchar_t kHolderMutex[] = L"SorivanelTestDesktopHolder";
constexpr wchar_t kReleaseEvent[] = L"SorivanelTestDesktopRelease";

// Under Wine the desktop's process ends whenever no program uses the
// desktop, and the next program to need it starts it again, handing it its
// own output: the test that did so then seems never to end, since its
// output stays open until the desktop's process ends again. One holder for
// the whole run keeps the desktop's process alive, started with no output.
int HoldDesktop() {
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, kReleaseEvent);
  HANDLE holder = CreateMutexW(nullptr, TRUE, kHolderMutex);
  if (!release || !holder) return 1;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // A holder runs: this one takes over only from one released by the run
    // before and on its way out.
    if (WaitForSingleObject(release, 0) != WAIT_OBJECT_0 || WaitForSingleObject(holder, 10000) == WAIT_TIMEOUT) return 0;
    ResetEvent(release);
  }
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"Sorivanel test desktop holder", WS_POPUP, 0, 0, 1, 1,
                                nullptr, nullptr, nullptr, nullptr);
  // Should the end of the run never come, the holder goes after three hours.
  WaitForSingleObject(release, 3 * 60 * 60 * 1000);
  if (window) DestroyWindow(window);
  return 0;
}

int ReleaseDesktop() {
  HANDLE release = OpenEventW(EVENT_MODIFY_STATE, FALSE, kReleaseEvent);
  if (release) SetEvent(release);
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 2) return Usage();
  std::wstring command = arguments[1];
  if (command == L"holddesktop" && count == 2) return HoldDesktop();
  if (command == L"releasedesktop" && count == 2) return ReleaseDesktop();
  if (command == L"hotkey" && count == 4) {
    auto modifiers = static_cast<UINT>(std::wcstoul(arguments[2], nullptr, 0));
    auto key = static_cast<UINT>(std::wcstoul(arguments[3], nullptr, 0));
    if (!RegisterHotKey(nullptr, 1, modifiers, key)) {
      DWORD error = GetLastError();
      std::printf("%lu\n", error);
      return error ? static_cast<int>(error) : 1;
    }
    UnregisterHotKey(nullptr, 1);
    std::puts("registered");
    return 0;
  }
  if (command == L"findwindow" && count == 4) {
    HWND window = FindWindowW(Optional(arguments[2]), Optional(arguments[3]));
    std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    return window ? 0 : 1;
  }
  if (command == L"atom" && count == 3) {
    ATOM atom = GlobalFindAtomW(arguments[2]);
    std::printf("%u\n", static_cast<unsigned>(atom));
    return atom ? 0 : 1;
  }
  if (command == L"writefile" && count == 3) {
    HANDLE file = CreateFileW(arguments[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(file);
    return 0;
  }
  return Usage();
}
