#include <winsock2.h>
#include <ws2tcpip.h>

#include <chrono>
#include <mutex>

#include "sono/net/platform/AddressLookup.h"
#include "sono/net/platform/Socket.h"

namespace sono::net {

namespace {

constexpr int kSliceMs = 50;

using Clock = std::chrono::steady_clock;

// Winsock is started once for the process and left running until it ends:
// other parts of the program may hold sockets of their own.
bool StartWinsock() {
  static std::once_flag once;
  static bool started = false;
  std::call_once(once, [] {
    WSADATA data;
    started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return started;
}

SOCKET Native(intptr_t handle) { return static_cast<SOCKET>(handle); }

// Waits until the socket is ready, the deadline passes or cancel is set.
// Writing readiness also reports a failed connect through the except set.
IoStatus WaitReady(SOCKET socket, bool forWrite, Clock::time_point deadline, const std::atomic<bool>* cancel) {
  for (;;) {
    if (cancel && cancel->load()) return IoStatus::Cancelled;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return IoStatus::TimedOut;
    const long slice = static_cast<long>(left < kSliceMs ? left : kSliceMs);
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket, &ready);
    FD_SET(socket, &failed);
    timeval wait{0, slice * 1000};
    const int count = select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &wait);
    if (count == SOCKET_ERROR) return IoStatus::Failed;
    if (FD_ISSET(socket, &failed)) return IoStatus::Failed;
    if (count > 0) return IoStatus::Ok;
  }
}

Clock::time_point DeadlineAfter(int timeoutMs) { return Clock::now() + std::chrono::milliseconds(timeoutMs); }

bool MakeNonBlocking(SOCKET socket) {
  u_long on = 1;
  return ioctlsocket(socket, FIONBIO, &on) == 0;
}

}  // namespace

Socket& Socket::operator=(Socket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

void Socket::Close() {
  if (handle_ != kInvalid) closesocket(Native(handle_));
  handle_ = kInvalid;
}

IoStatus Socket::Connect(const std::string& host, uint16_t port, int timeoutMs, const std::atomic<bool>* cancel,
                         Socket& out) {
  if (!StartWinsock()) return IoStatus::Failed;
  const auto deadline = DeadlineAfter(timeoutMs);
  std::shared_ptr<lookup::AddressList> addresses;
  if (const auto found = lookup::Resolve(host, port, deadline, cancel, addresses); found != IoStatus::Ok) return found;
  IoStatus status = IoStatus::Failed;
  for (addrinfo* address = addresses->First(); address; address = address->ai_next) {
    const SOCKET raw = ::socket(address->ai_family, address->ai_socktype, address->ai_protocol);
    if (raw == INVALID_SOCKET) continue;
    Socket candidate(static_cast<intptr_t>(raw));
    if (!MakeNonBlocking(raw)) continue;
    if (::connect(raw, address->ai_addr, static_cast<int>(address->ai_addrlen)) != 0) {
      if (WSAGetLastError() != WSAEWOULDBLOCK) continue;
      status = WaitReady(raw, true, deadline, cancel);
      if (status == IoStatus::Cancelled || status == IoStatus::TimedOut) break;
      if (status != IoStatus::Ok) continue;
    }
    out = std::move(candidate);
    status = IoStatus::Ok;
    break;
  }
  return status;
}

IoStatus Socket::SendAll(std::string_view bytes, int timeoutMs, const std::atomic<bool>* cancel) {
  const auto deadline = DeadlineAfter(timeoutMs);
  const SOCKET socket = Native(handle_);
  while (!bytes.empty()) {
    const int chunk = static_cast<int>(bytes.size() > 65536 ? 65536 : bytes.size());
    const int sent = ::send(socket, bytes.data(), chunk, 0);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<size_t>(sent));
      continue;
    }
    if (sent == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return IoStatus::Failed;
    if (const auto status = WaitReady(socket, true, deadline, cancel); status != IoStatus::Ok) return status;
  }
  return IoStatus::Ok;
}

IoStatus Socket::Receive(void* buffer, size_t size, size_t& received, int timeoutMs,
                         const std::atomic<bool>* cancel) {
  received = 0;
  const auto deadline = DeadlineAfter(timeoutMs);
  const SOCKET socket = Native(handle_);
  const int chunk = static_cast<int>(size > 65536 ? 65536 : size);
  for (;;) {
    // A peer that never stops sending never makes the read wait, so the
    // cancel is looked at before each read as well as during the waits.
    if (cancel && cancel->load()) return IoStatus::Cancelled;
    const int count = ::recv(socket, static_cast<char*>(buffer), chunk, 0);
    if (count > 0) {
      received = static_cast<size_t>(count);
      return IoStatus::Ok;
    }
    if (count == 0) return IoStatus::Closed;
    const int error = WSAGetLastError();
    if (error == WSAECONNRESET || error == WSAECONNABORTED) return IoStatus::Closed;
    if (error != WSAEWOULDBLOCK) return IoStatus::Failed;
    if (const auto status = WaitReady(socket, false, deadline, cancel); status != IoStatus::Ok) return status;
  }
}

Listener Listener::OnLoopback() {
  Listener listener;
  if (!StartWinsock()) return listener;
  const SOCKET raw = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (raw == INVALID_SOCKET) return listener;
  listener.handle_ = static_cast<intptr_t>(raw);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (::bind(raw, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(raw, 8) != 0 ||
      getsockname(raw, reinterpret_cast<sockaddr*>(&address), &length) != 0 || !MakeNonBlocking(raw)) {
    listener.Close();
    return listener;
  }
  listener.port_ = ntohs(address.sin_port);
  return listener;
}

IoStatus Listener::Accept(Socket& out, int timeoutMs, const std::atomic<bool>* cancel) {
  const SOCKET raw = Native(handle_);
  if (const auto status = WaitReady(raw, false, DeadlineAfter(timeoutMs), cancel); status != IoStatus::Ok) {
    return status;
  }
  const SOCKET peer = ::accept(raw, nullptr, nullptr);
  if (peer == INVALID_SOCKET) return IoStatus::Failed;
  out = Socket(static_cast<intptr_t>(peer));
  if (!MakeNonBlocking(peer)) return IoStatus::Failed;
  return IoStatus::Ok;
}

void Listener::Close() {
  if (handle_ != -1) closesocket(Native(handle_));
  handle_ = -1;
}

}  // namespace sono::net
