#include "tests/net/win32/SocksPeer.h"

#include <ws2tcpip.h>

#include <algorithm>

namespace nettest {

std::string ReadExactly(SOCKET s, std::size_t count) {
  std::string result;
  char buffer[512];
  while (result.size() < count) {
    int want = static_cast<int>(std::min(count - result.size(), sizeof buffer));
    int received = recv(s, buffer, want, 0);
    if (received <= 0) break;
    result.append(buffer, static_cast<std::size_t>(received));
  }
  return result;
}

bool SendDribbled(SOCKET s, const std::string& bytes) {
  BOOL noDelay = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
  for (char byte : bytes) {
    if (send(s, &byte, 1, 0) != 1) return false;
    Sleep(2);
  }
  return true;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int value : values) out += static_cast<char>(value);
  return out;
}

std::string PortBytes(std::uint16_t port) { return Bytes({port >> 8, port & 0xFF}); }

SocksPeer::SocksPeer(SocksScenario scenario)
    : scenario_(std::move(scenario)), peer_(std::make_unique<LoopbackPeer>([this](SOCKET client) { Play(client); })) {}

std::string SocksPeer::Seen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

void SocksPeer::Record(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  seen_ += bytes;
}

namespace {

// Up to and including the next zero byte.
std::string ReadZeroTerminated(SOCKET s) {
  std::string field;
  for (int i = 0; i < 1024; ++i) {
    std::string byte = ReadExactly(s, 1);
    if (byte.empty()) break;
    field += byte;
    if (byte[0] == '\0') break;
  }
  return field;
}

void Relay(SOCKET client, std::uint16_t port, const std::string& bytes) {
  SOCKET target = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  DWORD timeout = 10000;
  setsockopt(target, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  if (connect(target, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && SendAll(target, bytes))
    SendAll(client, ReadExactly(target, bytes.size()));
  closesocket(target);
}

}  // namespace

void SocksPeer::Play(SOCKET client) {
  const SocksScenario& s = scenario_;
  auto reply = [&](const std::string& bytes) { return s.dribble ? SendDribbled(client, bytes) : SendAll(client, bytes); };
  if (s.level4) {
    std::string head = ReadExactly(client, 8);
    Record(head);
    if (head.size() < 8) return;
    Record(ReadZeroTerminated(client));
    if (head.substr(4) == Bytes({0, 0, 0, 1})) Record(ReadZeroTerminated(client));
  } else {
    std::string greeting = ReadExactly(client, 3);
    Record(greeting);
    if (greeting.size() < 3 || !reply(s.methodReply)) return;
    bool methodOk = s.methodReply.size() == 2 && s.methodReply[0] == 5;
    if (methodOk && s.methodReply[1] == 2) {
      std::string auth = ReadExactly(client, 2);
      if (auth.size() == 2) auth += ReadExactly(client, static_cast<unsigned char>(auth[1]) + 1u);
      if (auth.size() >= 3) auth += ReadExactly(client, static_cast<unsigned char>(auth.back()));
      Record(auth);
      // No answer at all: the server hangs up during the exchange.
      if (s.authReply.empty() || !reply(s.authReply)) return;
      methodOk = s.authReply == Bytes({1, 0});
    } else if (methodOk && s.methodReply[1] != 0) {
      methodOk = false;
    }
    if (!methodOk) {
      Record(ReadAll(client, 65536));
      return;
    }
    std::string request = ReadExactly(client, 5);
    if (request.size() == 5) request += ReadExactly(client, static_cast<unsigned char>(request[4]) + 2u);
    Record(request);
    if (request.size() < 7) return;
  }
  // Unless dribbled, the target's first bytes share the reply's segment.
  bool sent = s.dribble ? reply(s.connectReply) && SendAll(client, s.targetData)
                        : SendAll(client, s.connectReply + s.targetData);
  if (!sent) return;
  if (s.relayPort != 0) {
    std::string bytes = ReadExactly(client, s.relayBytes);
    Record(bytes);
    Relay(client, s.relayPort, bytes);
  }
  Record(ReadAll(client, 65536));
}

}  // namespace nettest
