#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "sono/net/platform/AddressLookup.h"
#include "sono/net/platform/Socket.h"

namespace sono::net {

namespace {

constexpr int kSliceMs = 50;

using Clock = std::chrono::steady_clock;

// Waits until the descriptor is ready, the deadline passes or cancel is set.
IoStatus WaitReady(int fd, short events, Clock::time_point deadline, const std::atomic<bool>* cancel) {
  for (;;) {
    if (cancel && cancel->load()) return IoStatus::Cancelled;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return IoStatus::TimedOut;
    pollfd entry{fd, events, 0};
    const int ready = poll(&entry, 1, static_cast<int>(left < kSliceMs ? left : kSliceMs));
    if (ready > 0) return IoStatus::Ok;
    if (ready < 0 && errno != EINTR) return IoStatus::Failed;
  }
}

Clock::time_point DeadlineAfter(int timeoutMs) { return Clock::now() + std::chrono::milliseconds(timeoutMs); }

bool MakeNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
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
  if (handle_ != kInvalid) ::close(static_cast<int>(handle_));
  handle_ = kInvalid;
}

IoStatus Socket::Connect(const std::string& host, uint16_t port, int timeoutMs, const std::atomic<bool>* cancel,
                         Socket& out) {
  const auto deadline = DeadlineAfter(timeoutMs);
  std::shared_ptr<lookup::AddressList> addresses;
  if (const auto found = lookup::Resolve(host, port, deadline, cancel, addresses); found != IoStatus::Ok) return found;
  IoStatus status = IoStatus::Failed;
  for (addrinfo* address = addresses->First(); address; address = address->ai_next) {
    Socket candidate(::socket(address->ai_family, address->ai_socktype | SOCK_CLOEXEC, address->ai_protocol));
    if (!candidate.IsOpen() || !MakeNonBlocking(static_cast<int>(candidate.handle_))) continue;
    const int fd = static_cast<int>(candidate.handle_);
    if (::connect(fd, address->ai_addr, address->ai_addrlen) != 0) {
      if (errno != EINPROGRESS) continue;
      status = WaitReady(fd, POLLOUT, deadline, cancel);
      if (status != IoStatus::Ok) {
        if (status == IoStatus::Cancelled || status == IoStatus::TimedOut) break;
        continue;
      }
      int error = 0;
      socklen_t length = sizeof error;
      if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        status = IoStatus::Failed;
        continue;
      }
    }
    out = std::move(candidate);
    status = IoStatus::Ok;
    break;
  }
  return status;
}

IoStatus Socket::SendAll(std::string_view bytes, int timeoutMs, const std::atomic<bool>* cancel) {
  const auto deadline = DeadlineAfter(timeoutMs);
  const int fd = static_cast<int>(handle_);
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent > 0) {
      bytes.remove_prefix(static_cast<size_t>(sent));
      continue;
    }
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return IoStatus::Failed;
    if (const auto status = WaitReady(fd, POLLOUT, deadline, cancel); status != IoStatus::Ok) return status;
  }
  return IoStatus::Ok;
}

IoStatus Socket::Receive(void* buffer, size_t size, size_t& received, int timeoutMs,
                         const std::atomic<bool>* cancel) {
  received = 0;
  const auto deadline = DeadlineAfter(timeoutMs);
  const int fd = static_cast<int>(handle_);
  for (;;) {
    // A peer that never stops sending never makes the read wait, so the
    // cancel is looked at before each read as well as during the waits.
    if (cancel && cancel->load()) return IoStatus::Cancelled;
    const ssize_t count = ::recv(fd, buffer, size, 0);
    if (count > 0) {
      received = static_cast<size_t>(count);
      return IoStatus::Ok;
    }
    if (count == 0) return IoStatus::Closed;
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      return errno == ECONNRESET ? IoStatus::Closed : IoStatus::Failed;
    }
    if (const auto status = WaitReady(fd, POLLIN, deadline, cancel); status != IoStatus::Ok) return status;
  }
}

Listener Listener::OnLoopback() {
  Listener listener;
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return listener;
  listener.handle_ = fd;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0 || !MakeNonBlocking(fd)) {
    listener.Close();
    return listener;
  }
  listener.port_ = ntohs(address.sin_port);
  return listener;
}

IoStatus Listener::Accept(Socket& out, int timeoutMs, const std::atomic<bool>* cancel) {
  const int fd = static_cast<int>(handle_);
  if (const auto status = WaitReady(fd, POLLIN, DeadlineAfter(timeoutMs), cancel); status != IoStatus::Ok) {
    return status;
  }
  const int peer = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (peer < 0) return IoStatus::Failed;
  out = Socket(peer);
  return IoStatus::Ok;
}

void Listener::Close() {
  if (handle_ != -1) ::close(static_cast<int>(handle_));
  handle_ = -1;
}

}  // namespace sono::net
