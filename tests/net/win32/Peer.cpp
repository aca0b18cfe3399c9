#include "tests/net/win32/Peer.h"

#include <ws2tcpip.h>

namespace nettest {

bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs) {
  ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!done()) {
    if (GetTickCount64() > end) return false;
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      if (done()) return true;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  return true;
}

void PumpFor(unsigned ms) { PumpUntil([] { return false; }, ms); }

PeerWinsock::PeerWinsock() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
}

PeerWinsock::~PeerWinsock() { WSACleanup(); }

namespace {
void EnsurePeerWinsock() { static PeerWinsock winsock; }
}  // namespace

LoopbackPeer::LoopbackPeer(Script script) {
  EnsurePeerWinsock();
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listen(listener_, 1);
  thread_ = std::thread([this, script] {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(listener_, &readable);
    timeval wait{10, 0};
    if (select(0, &readable, nullptr, nullptr, &wait) == 1) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client != INVALID_SOCKET) {
        DWORD timeout = 10000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        script(client);
        closesocket(client);
      }
    }
    finished_ = true;
  });
}

LoopbackPeer::~LoopbackPeer() {
  thread_.join();
  closesocket(listener_);
}

bool SendAll(SOCKET s, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    int sent = send(s, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
    if (sent <= 0) return false;
    done += static_cast<std::size_t>(sent);
  }
  return true;
}

std::string ReadAll(SOCKET s, std::size_t limit, unsigned pauseMs) {
  std::string result;
  char buffer[16384];
  while (result.size() < limit) {
    int received = recv(s, buffer, sizeof buffer, 0);
    if (received <= 0) break;
    result.append(buffer, static_cast<std::size_t>(received));
    if (pauseMs) Sleep(pauseMs);
  }
  return result;
}

std::string ClosedPort() {
  EnsurePeerWinsock();
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(s);
  return std::to_string(ntohs(address.sin_port));
}

}  // namespace nettest
