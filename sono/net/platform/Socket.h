#pragma once
// The few TCP calls the stream client needs, with time-outs and a cancel
// flag, over POSIX sockets or Winsock. Every wait runs in short slices so
// that a cancel request ends it promptly.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sono::net {

enum class IoStatus { Ok, Closed, TimedOut, Cancelled, Failed };

class Socket {
 public:
  Socket() = default;
  ~Socket() { Close(); }
  Socket(Socket&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }
  Socket& operator=(Socket&& other) noexcept;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;

  // Resolves host and connects to the first address that answers within the
  // time-out. Failed when the name does not resolve or every address refuses.
  static IoStatus Connect(const std::string& host, uint16_t port, int timeoutMs, const std::atomic<bool>* cancel,
                          Socket& out);

  IoStatus SendAll(std::string_view bytes, int timeoutMs, const std::atomic<bool>* cancel);
  // Ok with received > 0, or Closed when the peer has finished sending.
  IoStatus Receive(void* buffer, size_t size, size_t& received, int timeoutMs, const std::atomic<bool>* cancel);

  bool IsOpen() const { return handle_ != kInvalid; }
  void Close();

  // For a library that closes its sockets itself: the handle changes owner.
  // Adopt takes one back for a single call and Release gives it up again.
  intptr_t Release() {
    const intptr_t handle = handle_;
    handle_ = kInvalid;
    return handle;
  }
  static Socket Adopt(intptr_t handle) { return Socket(handle); }

 private:
  friend class Listener;
  static constexpr intptr_t kInvalid = -1;
  explicit Socket(intptr_t handle) : handle_(handle) {}
  intptr_t handle_ = kInvalid;
};

// A listening socket on 127.0.0.1 for loopback peers.
class Listener {
 public:
  Listener() = default;
  ~Listener() { Close(); }
  Listener(Listener&& other) noexcept : handle_(other.handle_), port_(other.port_) { other.handle_ = -1; }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  // Binds an ephemeral port; IsOpen is false on failure.
  static Listener OnLoopback();
  bool IsOpen() const { return handle_ != -1; }
  uint16_t Port() const { return port_; }
  IoStatus Accept(Socket& out, int timeoutMs, const std::atomic<bool>* cancel);
  void Close();

 private:
  intptr_t handle_ = -1;
  uint16_t port_ = 0;
};

}  // namespace sono::net
