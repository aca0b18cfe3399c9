#include "player/app/HandOver.h"

#include "forms/Application.h"
#include "forms/Wide.h"
#include "player/Extensions.h"
#include "player/app/Unit1.h"

namespace player {

HWND FindRunningMainWindow(DWORD waitMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = FindWindowW(L"TForm1", L"Sorivanel")) return window;
    if (GetTickCount() - start >= waitMs) return nullptr;
    Sleep(50);
  }
}

std::vector<std::string> FullPathArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> full;
  full.reserve(arguments.size());
  for (const std::string& argument : arguments) {
    if (argument.empty() || argument.front() == '/' || IsStreamUrl(argument)) {
      full.push_back(argument);
      continue;
    }
    const std::wstring wide = forms::widen(argument);
    const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring buffer(size, L'\0');
    const DWORD length = size ? GetFullPathNameW(wide.c_str(), size, buffer.data(), nullptr) : 0;
    if (length == 0 || length >= size) {
      full.push_back(argument);
      continue;
    }
    buffer.resize(length);
    full.push_back(forms::narrow(buffer));
  }
  return full;
}

void HandOverArguments(HWND target, const std::vector<std::string>& arguments) {
  DWORD process = 0;
  GetWindowThreadProcessId(target, &process);
  // Lets "/show" bring the window to the front.
  AllowSetForegroundWindow(process);
  for (const std::string& argument : arguments) {
    if (!IsWindow(target)) return;
    const ATOM atom = GlobalAddAtomW(forms::widen(argument).c_str());
    if (atom == 0) continue;
    const LRESULT taken = SendMessageW(target, WmEnvoiAtom(), atom, 0);
    if (taken != 1) GlobalDeleteAtom(atom);
    forms::Application->ProcessMessages();
  }
}

}  // namespace player
