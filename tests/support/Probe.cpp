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
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

int Usage() {
  std::fputs("usage: sv_probe hotkey <mods> <vk> | findwindow <class> <title> | atom <name> | writefile <path>\n", stderr);
  return 2;
}

const wchar_t* Optional(const wchar_t* argument) { return std::wcscmp(argument, L"-") == 0 ? nullptr : argument; }

}  // namespace

int main() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!arguments || count < 3) return Usage();
  std::wstring command = arguments[1];
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
