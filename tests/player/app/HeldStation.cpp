#include "tests/player/app/HeldStation.h"

#include <winsock2.h>

#include <cstdlib>

namespace playertest {

std::string PeerPort(const char* name) {
  const char* port = std::getenv((std::string("MMS_PEER_") + name).c_str());
  return port ? port : "";
}

std::string PeerStation(const char* name) { return "mms://127.0.0.1:" + PeerPort(name) + "/radio/tone.asf"; }

std::string HeldStation() { return PeerStation("HELD"); }

namespace {

// Sends the order to the release port; the answer's first two bytes.
std::string Order(char order) {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return {};
  std::string answer;
  const SOCKET peer = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(std::atoi(PeerPort("RELEASE").c_str())));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (peer != INVALID_SOCKET && connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      send(peer, &order, 1, 0) == 1) {
    char bytes[2] = {};
    if (recv(peer, bytes, 2, MSG_WAITALL) == 2) answer.assign(bytes, 2);
  }
  if (peer != INVALID_SOCKET) closesocket(peer);
  WSACleanup();
  return answer;
}

}  // namespace

bool ReleaseHeldStation(char order) { return Order(order) == "ok"; }

int HeldRequests() {
  const std::string answer = Order('q');
  return answer.empty() ? -1 : std::atoi(answer.c_str());
}

}  // namespace playertest
