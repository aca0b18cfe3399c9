// Ends its program while another thread is inside the sockets library's lock:
// the start-up of the library, replaced here by one that never returns. The
// program must still end.
#include <windows.h>

#include <thread>

#include "net/win32/WinsockApi.h"

namespace {

HANDLE entered = nullptr;

int WSAAPI StartupThatNeverReturns(WORD, WSADATA*) {
  SetEvent(entered);
  Sleep(INFINITE);
  return 0;
}

}  // namespace

int main() {
  entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  sv::net::ReplaceWinsockFunctionForTesting("WSAStartup", reinterpret_cast<void*>(&StartupThatNeverReturns));
  std::thread([] { sv::net::LoadWinsockFunction("socket"); }).detach();
  if (WaitForSingleObject(entered, 30000) != WAIT_OBJECT_0) return 2;
  return 0;
}
