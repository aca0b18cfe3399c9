#include "tests/net/win32/HttpPeer.h"

#include "tests/net/win32/Peer.h"

namespace nettest {

namespace {

// Header plus body of a request: stops at 4 MiB whatever the peer says.
constexpr std::size_t kRequestLimit = 4u << 20;

std::size_t BodyLength(const std::string& header) {
  std::string lower;
  for (char c : header) lower += static_cast<char>(tolower(static_cast<unsigned char>(c)));
  auto at = lower.find("\r\ncontent-length: ");
  if (at == std::string::npos) return 0;
  return static_cast<std::size_t>(std::strtoull(header.c_str() + at + 18, nullptr, 10));
}

}  // namespace

HttpPeer::HttpPeer(Script script, int maxConnections) {
  static PeerWinsock winsock;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listen(listener_, 8);
  thread_ = std::thread([this, script, maxConnections] {
    // Twenty seconds of waiting for connections at most.
    for (int round = 0; round < 200 && !stop_ && accepts_ < maxConnections; ++round) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(listener_, &readable);
      timeval wait{0, 100000};
      if (select(0, &readable, nullptr, nullptr, &wait) != 1) continue;
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) continue;
      DWORD timeout = 5000;
      setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
      script(accepts_++, client);
      closesocket(client);
    }
  });
}

HttpPeer::~HttpPeer() {
  stop_ = true;
  thread_.join();
  closesocket(listener_);
}

std::vector<std::string> HttpPeer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::string HttpPeer::ReadRequest(SOCKET client) {
  std::string request;
  char byte;
  while (request.size() < kRequestLimit && request.find("\r\n\r\n") == std::string::npos) {
    if (recv(client, &byte, 1, 0) != 1) return {};
    request += byte;
  }
  const std::size_t body = BodyLength(request);
  if (body > 0) {
    std::string rest = ReadAll(client, body);
    if (rest.size() < body) return {};
    request += rest;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.push_back(request);
  return request;
}

void ResetConnection(SOCKET client) {
  linger option{1, 0};
  setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option), sizeof option);
}

}  // namespace nettest
