#pragma once
// An HTTP server on 127.0.0.1 for the tests, as a thread of the test (Wine
// cannot start the host's programs): takes one connection after the other,
// records each request head and answers what the test's script says.
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace playertest {

struct ScriptedReply {
  std::string bytes;   // sent as they are, then the connection is closed
  bool stall = false;  // send nothing and keep the connection until the end
};

class ScriptedHttpServer {
 public:
  // The script gets the request head (request line first) and may block.
  explicit ScriptedHttpServer(std::function<ScriptedReply(const std::string& head)> script);
  ~ScriptedHttpServer();
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  std::uint16_t Port() const { return port_; }
  std::string Address() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::vector<std::string> Heads();
  // Request lines without " HTTP/1.x".
  std::vector<std::string> Requests();

  // A full reply with this status and body.
  static ScriptedReply Reply(int status, const std::string& body, const std::string& extraHeaders = "");
  // A port where nothing listens (connections are refused).
  static std::uint16_t ClosedPort();

 private:
  void Serve();

  std::function<ScriptedReply(const std::string&)> script_;
  SOCKET listener_ = INVALID_SOCKET;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> heads_;
  std::vector<SOCKET> stalled_;
  std::thread thread_;
};

}  // namespace playertest
