// The socket component's addresses (remote and local, as text and as raw
// records) and its time-value utilities.
#include "net/win32/NetSocket.h"

namespace sv::net {

namespace {

bool HasLocalAddress(TSocketState state) {
  return state == TSocketState::wsBound || state == TSocketState::wsConnected || state == TSocketState::wsListening;
}

}  // namespace

std::string TCustomNetSocket::PeerAddr() {
  if (state_ != TSocketState::wsConnected) return "error";
  sockaddr_in peer{};
  int length = sizeof peer;
  if (ws::getpeername(handle_, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
    ReportWinsockError("GetPeerAddr");
    return "error";
  }
  return DottedAddress(peer.sin_addr.s_addr);
}

std::string TCustomNetSocket::PeerPort() {
  if (state_ != TSocketState::wsConnected) return "error";
  sockaddr_in peer{};
  int length = sizeof peer;
  if (ws::getpeername(handle_, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
    ReportWinsockError("GetPeerPort");
    return "error";
  }
  return std::to_string(NetToHost16(peer.sin_port));
}

std::string TCustomNetSocket::LocalPortText() {
  if (!HasLocalAddress(state_)) return "error";
  sockaddr_in local{};
  int length = sizeof local;
  if (ws::getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &length) != 0) return "error";
  return std::to_string(NetToHost16(local.sin_port));
}

std::string TCustomNetSocket::LocalAddrText() {
  if (!HasLocalAddress(state_)) return "error";
  sockaddr_in local{};
  int length = sizeof local;
  if (ws::getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &length) != 0) return "error";
  return DottedAddress(local.sin_addr.s_addr);
}

int TCustomNetSocket::PeerSockAddr(sockaddr* buffer, int& length) {
  if (state_ != TSocketState::wsConnected || handle_ == INVALID_SOCKET) return -1;
  return ws::getpeername(handle_, buffer, &length) == 0 ? 0 : -1;
}

int TCustomNetSocket::LocalSockAddr(sockaddr* buffer, int& length) {
  if (handle_ == INVALID_SOCKET) return -1;
  return ws::getsockname(handle_, buffer, &length) == 0 ? 0 : -1;
}

bool TCustomNetSocket::IsTimevalNonZero(const timeval& value) { return value.tv_sec != 0 || value.tv_usec != 0; }

void TCustomNetSocket::ZeroTimeval(timeval& value) {
  value.tv_sec = 0;
  value.tv_usec = 0;
}

bool TCustomNetSocket::SameTimeval(const timeval& a, const timeval& b, bool equal) {
  const bool same = a.tv_sec == b.tv_sec && a.tv_usec == b.tv_usec;
  return equal ? same : !same;
}

}  // namespace sv::net
