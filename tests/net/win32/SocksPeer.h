#pragma once
// A scripted SOCKS server for the socket tests: a loopback peer thread that
// plays one scenario on its own port and records the bytes it was sent.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "tests/net/win32/Peer.h"

namespace nettest {

// Exactly `count` bytes, or fewer when the connection ends or the receive
// time-out passes.
std::string ReadExactly(SOCKET s, std::size_t count);
// Sends one byte per segment.
bool SendDribbled(SOCKET s, const std::string& bytes);
std::string Bytes(std::initializer_list<int> values);
std::string PortBytes(std::uint16_t port);

struct SocksScenario {
  // SOCKS 5: the answer to the greeting; the user name exchange follows
  // when it chooses method 2.
  std::string methodReply = Bytes({5, 0});
  std::string authReply = Bytes({1, 0});
  // The answer to the connect request, and what the target sends with it.
  std::string connectReply = Bytes({5, 0, 0, 1, 127, 0, 0, 1, 0x12, 0x34});
  std::string targetData;
  // Every reply one byte per segment.
  bool dribble = false;
  // A level 4 (or 4A) request instead of SOCKS 5.
  bool level4 = false;
  // Relays the client's bytes once to this port and the answer back.
  std::uint16_t relayPort = 0;
  std::size_t relayBytes = 0;
};

class SocksPeer {
 public:
  explicit SocksPeer(SocksScenario scenario);
  std::string PortText() const { return peer_->PortText(); }
  bool Finished() const { return peer_->Finished(); }
  // Everything the client sent, in order (negotiation and data).
  std::string Seen() const;

 private:
  void Play(SOCKET client);
  void Record(const std::string& bytes);

  SocksScenario scenario_;
  mutable std::mutex mutex_;
  std::string seen_;
  std::unique_ptr<LoopbackPeer> peer_;
};

}  // namespace nettest
