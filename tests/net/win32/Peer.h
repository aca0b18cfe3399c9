#pragma once
// Peers for the socket tests: a thread of this process speaking plain
// Winsock on 127.0.0.1, and a pump that serves the GUI thread's messages
// until a condition holds or a time limit passes.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace nettest {

// Serves messages until done() holds; false on time-out.
bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs = 10000);
// Serves messages for a while.
void PumpFor(unsigned ms);

// Winsock for the peers themselves (the component binds its own copy).
class PeerWinsock {
 public:
  PeerWinsock();
  ~PeerWinsock();
};

// Listens on 127.0.0.1 on a free port; a thread accepts one connection
// and runs the script on it, then closes it.
class LoopbackPeer {
 public:
  using Script = std::function<void(SOCKET client)>;
  explicit LoopbackPeer(Script script);
  ~LoopbackPeer();
  LoopbackPeer(const LoopbackPeer&) = delete;
  LoopbackPeer& operator=(const LoopbackPeer&) = delete;

  std::string PortText() const { return std::to_string(port_); }
  bool Finished() const { return finished_; }

 private:
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

// Sends all bytes; false when the connection fails.
bool SendAll(SOCKET s, const std::string& bytes);
// Reads until the peer closes or `limit` bytes arrived (bounded by a
// receive time-out).
std::string ReadAll(SOCKET s, std::size_t limit, unsigned pauseMs = 0);
// A port on 127.0.0.1 where nothing listens.
std::string ClosedPort();

}  // namespace nettest
