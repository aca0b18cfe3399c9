#pragma once
// An HTTP peer for the client tests: a thread of this process that listens
// on 127.0.0.1, accepts connections one after the other and runs a script
// on each. Every wait is bounded, so a client that misbehaves fails the
// test instead of hanging it.
#include <winsock2.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nettest {

class HttpPeer {
 public:
  // Runs on the index-th accepted connection (from 0); the connection is
  // closed when it returns.
  using Script = std::function<void(int index, SOCKET client)>;
  explicit HttpPeer(Script script, int maxConnections = 8);
  ~HttpPeer();
  HttpPeer(const HttpPeer&) = delete;
  HttpPeer& operator=(const HttpPeer&) = delete;

  std::string PortText() const { return std::to_string(port_); }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + PortText() + path; }
  int Accepts() const { return accepts_; }
  // Every request read with ReadRequest through this peer, in order.
  std::vector<std::string> Requests() const;
  // Reads one request (header, and a body of its Content-Length) and
  // records it; empty when the connection ends first.
  std::string ReadRequest(SOCKET client);

 private:
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepts_{0};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// Closes with a reset instead of the orderly end.
void ResetConnection(SOCKET client);

}  // namespace nettest
