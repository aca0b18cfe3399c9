// The server side of the socket component (listening TCP, UDP and raw
// sockets, accepting, taking over a handle) and the multicast options of a
// UDP socket.
#include "base/Ascii.h"
#include "net/win32/NetSocket.h"

namespace sv::net {

namespace {

// The first sockets library numbers its IP-level options its own way.
constexpr int kIpMulticastIf = 2;
constexpr int kIpMulticastTtl = 3;
constexpr int kIpAddMembership = 5;
constexpr DWORD kSioRcvAll = 0x98000001;

// The option value of a group membership.
struct GroupMembership {
  in_addr group;
  in_addr interfaceAddress;
};

}  // namespace

bool TCustomNetSocket::ApplyMultiCastSending() {
  if (MultiCastIpTTL != 1 && !SetOption(IPPROTO_IP, kIpMulticastTtl, MultiCastIpTTL, "setsockopt(IP_MULTICAST_TTL)"))
    return false;
  if (localAddr_ == "0.0.0.0") return true;
  in_addr interfaceAddress{};
  try {
    interfaceAddress.s_addr = NetSocketResolveHost(localAddr_);
  } catch (const sv::Exception& e) {
    ReportError(e.Message());
    return false;
  }
  if (ws::setsockopt(handle_, IPPROTO_IP, kIpMulticastIf, reinterpret_cast<const char*>(&interfaceAddress),
                     sizeof interfaceAddress) == 0)
    return true;
  ReportWinsockError("setsockopt(IP_MULTICAST_IF)");
  return false;
}

bool TCustomNetSocket::JoinMultiCastGroup() {
  GroupMembership membership{};
  try {
    membership.group.s_addr = NetSocketResolveHost(MultiCastAddrStr);
  } catch (const sv::Exception& e) {
    ReportError("listen: " + e.Message());
    return false;
  }
  membership.interfaceAddress.s_addr = remote_.sin_addr.s_addr;
  if (ws::setsockopt(handle_, IPPROTO_IP, kIpAddMembership, reinterpret_cast<const char*>(&membership),
                     sizeof membership) == 0)
    return true;
  ReportWinsockError("setsockopt(IP_ADD_MEMBERSHIP)");
  return false;
}

bool TCustomNetSocket::ResolveForListen() {
  try {
    if (!protoResolved_) {
      // "raw_" and a protocol name or number listens on a raw socket.
      if (proto_.size() >= 4 && LowerAscii(std::string_view(proto_).substr(0, 4)) == "raw_") {
        protoNumber_ = NetSocketResolveProto(std::string_view(proto_).substr(4, 10));
        socketType_ = SOCK_RAW;
      } else {
        protoNumber_ = NetSocketResolveProto(proto_);
        socketType_ = protoNumber_ == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
      }
      protoResolved_ = true;
    }
    if (!portResolved_) {
      portNumber_ = NetSocketResolvePort(port_, proto_);
      portResolved_ = true;
    }
    if (!addrResolved_) {
      remote_.sin_addr.s_addr = NetSocketResolveHost(addr_);
      addrResolved_ = true;
    }
  } catch (const sv::Exception& e) {
    ReportError("listen: " + e.Message());
    return false;
  }
  remote_.sin_family = AF_INET;
  remote_.sin_port = HostToNet16(portNumber_);
  return true;
}

bool TCustomNetSocket::ListenStream(const AliveToken& alive) {
  if (ws::listen(handle_, ListenBacklog) != 0) {
    ReportWinsockError("Listen");
    return false;
  }
  SetState(TSocketState::wsListening);
  return *alive;
}

bool TCustomNetSocket::ListenDatagram(const AliveToken& alive) {
  if (MultiCast && !JoinMultiCastGroup()) return false;
  SetState(TSocketState::wsListening);
  if (!*alive) return false;
  SetState(TSocketState::wsConnected);
  if (!*alive) return false;
  TriggerSessionConnected(0);
  return *alive;
}

bool TCustomNetSocket::ListenRaw(const AliveToken& alive) {
  if (ComponentOptions.Contains(TNetSocketOption::wsoSIO_RCVALL)) {
    DWORD on = 1;
    DWORD returned = 0;
    if (NetSocket_WSAIoctl(handle_, kSioRcvAll, &on, sizeof on, nullptr, 0, &returned) != 0) {
      ReportWinsockError("WSAIoctl(SIO_RCVALL)");
      return false;
    }
  }
  SetState(TSocketState::wsListening);
  if (!*alive) return false;
  SetState(TSocketState::wsConnected);
  if (!*alive) return false;
  TriggerSessionConnected(0);
  return *alive;
}

void TCustomNetSocket::Listen() {
  if (!portAssigned_) {
    LastError = WSAEINVAL;
    return ReportError("listen: port not assigned");
  }
  if (!protoAssigned_) {
    LastError = WSAEINVAL;
    return ReportError("listen: protocol not assigned");
  }
  if (!addrAssigned_) {
    LastError = WSAEINVAL;
    return ReportError("listen: address not assigned");
  }
  if (!ResolveForListen()) return;
  DiscardSendQueue();
  handle_ = ws::socket(AF_INET, socketType_, protoNumber_);
  if (handle_ == INVALID_SOCKET) return ReportWinsockError("socket");
  if (socketType_ == SOCK_DGRAM && ReuseAddr && !SetOption(SOL_SOCKET, SO_REUSEADDR, -1, "setsockopt(SO_REUSEADDR)"))
    return;
  if (ws::bind(handle_, reinterpret_cast<sockaddr*>(&remote_), sizeof remote_) != 0) return ReportWinsockError("Bind");
  AliveToken alive = alive_;
  SetState(TSocketState::wsBound);
  if (!*alive) return;
  bool listening = false;
  switch (socketType_) {
    case SOCK_STREAM:
      listening = ListenStream(alive);
      break;
    case SOCK_DGRAM:
      listening = ListenDatagram(alive);
      break;
    case SOCK_RAW:
      listening = ListenRaw(alive);
      break;
    default:
      ReportError("Listen: unexpected protocol.");
      break;
  }
  if (listening) SelectEvents(FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE, "WSAASyncSelect");
}

SOCKET TCustomNetSocket::Accept() {
  if (state_ != TSocketState::wsListening) {
    LastError = WSAEINVAL;
    ReportError("not a listening socket");
    return INVALID_SOCKET;
  }
  int length = sizeof remote_;
  SOCKET accepted = ws::accept(handle_, reinterpret_cast<sockaddr*>(&remote_), &length);
  if (accepted == INVALID_SOCKET) ReportWinsockError("Accept");
  return accepted;
}

void TCustomNetSocket::Dup(SOCKET handle) {
  if (handle == 0 || handle == INVALID_SOCKET) {
    ws::WSASetLastError(WSAEINVAL);
    return ReportWinsockError("Dup");
  }
  if (state_ != TSocketState::wsClosed) {
    if (CloseSocketHandle() != 0) return ReportWinsockError("Dup (closesocket)");
    handle_ = INVALID_SOCKET;
    AliveToken alive = alive_;
    SetState(TSocketState::wsClosed);
    if (!*alive) return;
  }
  handle_ = handle;
  if (!ReadBufferSizes() || !ApplyLinger()) return;
  if (!SelectEvents(FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE, "WSAAsyncSelect")) return;
  SetState(TSocketState::wsConnected);
}

}  // namespace sv::net
