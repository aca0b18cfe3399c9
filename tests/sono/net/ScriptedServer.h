#pragma once
// A loopback HTTP peer that answers each connection with a scripted reply and
// records the request heads it received: a Python process natively, or a
// thread of the test itself (the only kind under Wine, which cannot start
// the host's programs).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sono_test {

struct Reply {
  std::string bytes;   // "{PORT}" stands for the server's port
  bool stall = false;  // after the bytes: stay silent until the client closes
};

class ScriptedServer {
 public:
  virtual ~ScriptedServer() = default;
  virtual uint16_t Port() const = 0;
  // Waits until the script has run (bounded) and returns the request heads.
  virtual std::vector<std::string> Requests() = 0;
};

enum class ServerKind { Thread, Python };

// Null when the server could not start.
std::unique_ptr<ScriptedServer> StartServer(ServerKind kind, std::vector<Reply> replies);

}  // namespace sono_test
