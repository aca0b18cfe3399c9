#include "net/win32/NetSocket.h"

#include <cstdio>

#include "net/win32/SocketWindow.h"

namespace sv::net {

namespace {

std::string Trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string Hex8(const void* address) {
  char text[24];
  std::snprintf(text, sizeof text, "%08llX",
                static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(address) & 0xFFFFFFFFu));
  return text;
}

}  // namespace

TCustomNetSocket::TCustomNetSocket(forms::TComponent* owner) : TComponent(owner) {
  id_ = detail::NewSocketId();
  window_ = detail::RegisterSocket(id_, this);
  if (!window_) {
    detail::UnregisterSocket(id_);
    throw ESocketException("Cannot create a hidden window for TNetSocket");
  }
  windowThread_ = GetCurrentThreadId();
  HoldLibrary();
  ResetDefaults();
}

TCustomNetSocket::~TCustomNetSocket() {
  destroying_ = true;
  // Nothing may raise out of a destructor, and no handler may see a
  // component that is half gone.
  OnError = nullptr;
  OnChangeState = nullptr;
  OnSessionClosed = nullptr;
  OnDataAvailable = nullptr;
  OnDataSent = nullptr;
  OnSendData = nullptr;
  OnDnsLookupDone = nullptr;
  OnSessionConnected = nullptr;
  OnSessionAvailable = nullptr;
  OnBgException = nullptr;
  try {
    CancelDnsLookup();
    if (state_ != TSocketState::wsClosed || handle_ != INVALID_SOCKET) Close();
    if (handle_ != INVALID_SOCKET) CloseSocketHandle();
  } catch (...) {
    // A failing cancel or close must not stop the release.
  }
  handle_ = INVALID_SOCKET;
  *alive_ = false;
  DiscardSendQueue();
  if (window_) detail::UnregisterSocket(id_);
  ReleaseLibrary();
}

HWND TCustomNetSocket::Window() const { return window_; }

// ---- properties ----

void TCustomNetSocket::SetAddr(const std::string& value) {
  if (state_ != TSocketState::wsClosed) return ReportError("Cannot change Addr if not closed");
  std::string text = Trimmed(value);
  if (addrAssigned_ && text == addr_) return;
  addr_ = text;
  addrAssigned_ = !text.empty();
  addrResolved_ = false;
}

void TCustomNetSocket::SetPort(const std::string& value) {
  if (state_ != TSocketState::wsClosed) return ReportError("Cannot change Port if not closed");
  std::string text = Trimmed(value);
  if (portAssigned_ && text == port_) return;
  port_ = text;
  portAssigned_ = !text.empty();
  portResolved_ = false;
}

void TCustomNetSocket::SetProto(const std::string& value) {
  if (state_ != TSocketState::wsClosed) return ReportError("Cannot change Proto if not closed");
  std::string text = Trimmed(value);
  if (protoAssigned_ && text == proto_) return;
  proto_ = text;
  protoAssigned_ = !text.empty();
  protoResolved_ = false;
}

void TCustomNetSocket::SetLocalAddr(const std::string& value) {
  if (state_ != TSocketState::wsClosed) return ReportError("Cannot change LocalAddr if not closed");
  localAddr_ = value.empty() ? "0.0.0.0" : value;
}

void TCustomNetSocket::SetLocalPort(const std::string& value) {
  if (state_ != TSocketState::wsClosed) return ReportError("Cannot change LocalPort if not closed");
  localPort_ = value;
  localPortResolved_ = false;
}

void TCustomNetSocket::SetSendFlags(TSocketSendFlags flags) {
  if (state_ != TSocketState::wsClosed) return ReportError("Cannot change SendFlags if not closed");
  if (flags != TSocketSendFlags::wsSendNormal && flags != TSocketSendFlags::wsSendUrgent)
    return ReportError("Invalid SendFlags");
  sendFlags_ = flags;
}

void TCustomNetSocket::SetReqVerLow(std::uint8_t value) {
  if (!SetRequestedVersion(value, RequestedVersionHigh()))
    ReportWinsockError("SetReqVerLow: WinSock version can't be changed now");
}

void TCustomNetSocket::SetReqVerHigh(std::uint8_t value) {
  if (!SetRequestedVersion(RequestedVersionLow(), value))
    ReportWinsockError("SetReqVerHigh: WinSock version can't be changed now");
}

void TCustomNetSocket::SetNetLogger(TNetLogger* logger) {
  logger_ = logger;
  if (logger_) logger_->FreeNotification(this);
}

void TCustomNetSocket::Notification(forms::TComponent* component, forms::ComponentOperation operation) {
  if (operation == forms::ComponentOperation::Remove && component == logger_) logger_ = nullptr;
  TComponent::Notification(component, operation);
}

bool TCustomNetSocket::CheckLogOptions(TLogOption option) const {
  return logger_ && logger_->LogOptions().Contains(option);
}

void TCustomNetSocket::DebugLog(TLogOption option, const std::string& text) {
  if (!logger_) return;
  try {
    logger_->DoDebugLog(this, option, text);
  } catch (...) {
    // A trace that cannot be written must not end the traced connection.
  }
}

// ---- events ----

void TCustomNetSocket::SetState(TSocketState state) {
  TSocketState old = state_;
  state_ = state;
  if (old != state) TriggerChangeState(old, state);
}

void TCustomNetSocket::TriggerChangeState(TSocketState oldState, TSocketState newState) {
  if (auto handler = OnChangeState) handler(this, oldState, newState);
}

void TCustomNetSocket::TriggerSessionConnected(std::uint16_t errCode) {
  if (auto handler = OnSessionConnected) handler(this, errCode);
}

void TCustomNetSocket::TriggerSessionClosed(std::uint16_t errCode) {
  if (auto handler = OnSessionClosed) handler(this, errCode);
}

void TCustomNetSocket::TriggerSessionAvailable(std::uint16_t errCode) {
  if (auto handler = OnSessionAvailable) handler(this, errCode);
}

void TCustomNetSocket::TriggerDnsLookupDone(std::uint16_t errCode) {
  if (auto handler = OnDnsLookupDone) handler(this, errCode);
}

void TCustomNetSocket::TriggerDataSent(std::uint16_t errCode) {
  if (CheckLogOptions(TLogOption::loWsockDump)) {
    AliveToken alive = alive_;
    DebugLog(TLogOption::loWsockDump, Hex8(this) + " TriggerDataSent " + std::to_string(handle_));
    if (!*alive) return;
  }
  if (auto handler = OnDataSent) handler(this, errCode);
}

void TCustomNetSocket::TriggerError() {
  if (auto handler = OnError) handler(this);
}

// ---- errors ----

void TCustomNetSocket::ReportError(const std::string& text) {
  if (OnError) {
    TriggerError();
    return;
  }
  throw ESocketException(text);
}

void TCustomNetSocket::ReportWinsockError(const std::string& function) {
  int error = ws::WSAGetLastError();
  std::string text = "Error " + std::to_string(error) + " in function " + function + "\r\n" + NetSocketErrorDesc(error);
  if (error == WSAECONNRESET || error == WSAENOTCONN) {
    if (handle_ != INVALID_SOCKET) CloseSocketHandle();
    handle_ = INVALID_SOCKET;
    if (state_ != TSocketState::wsClosed) {
      // Ends like any other close, so that the next connection starts
      // afresh and reports its own close.
      AliveToken alive = alive_;
      if (!closeSignalled_) {
        closeSignalled_ = true;
        TriggerSessionClosed(static_cast<std::uint16_t>(error));
        if (!*alive) return;
      }
      SetState(TSocketState::wsClosed);
      if (!*alive) return;
      try {
        ResetDefaults();
      } catch (...) {
      }
    }
  }
  LastError = error;
  ReportError(text);
}

void TCustomNetSocket::HandleBackgroundError(const sv::Exception& e) {
  AliveToken alive = alive_;
  bool canClose = true;
  if (auto handler = OnBgException) {
    try {
      handler(this, e, canClose);
    } catch (...) {
      // The handler's own failure changes nothing.
    }
  }
  if (!*alive || !canClose) return;
  try {
    Abort();
  } catch (...) {
  }
}

// ---- messages ----

LRESULT TCustomNetSocket::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  AliveToken alive = alive_;
  ++dispatchDepth_;
  LRESULT result = 0;
  try {
    result = WndProc(message, wParam, lParam);
  } catch (const sv::Exception& e) {
    if (*alive) HandleBackgroundError(e);
  } catch (...) {
    if (*alive) --dispatchDepth_;
    throw;
  }
  if (*alive) --dispatchDepth_;
  return result;
}

LRESULT TCustomNetSocket::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgNetEvent:
      HandleNetEvent(wParam, lParam);
      return 0;
    case kMsgDnsDone:
      HandleDnsDone(wParam, lParam);
      return 0;
    case kMsgReverseDnsDone:
      HandleReverseDnsDone(wParam, lParam);
      return 0;
    case kMsgCloseDelayed:
      Close();
      return 0;
    case kMsgRelease:
      if (Owner()) Owner()->DeleteComponent(this);
      return 0;
    case kMsgTestException:
      throw ESocketException("Test exception in NetSocket");
    default:
      return DefWindowProcW(Window(), message, wParam, lParam);
  }
}

void TCustomNetSocket::HandleNetEvent(WPARAM wParam, LPARAM lParam) {
  WORD events = WSAGETSELECTEVENT(lParam);
  auto error = static_cast<std::uint16_t>(WSAGETSELECTERROR(lParam));
  // A trace handler may free this component.
  AliveToken alive = alive_;
  if (CheckLogOptions(TLogOption::loWsockDump)) {
    std::string line = "AsyncSelect CtrlSocket" + std::to_string(wParam) + ", " + std::to_string(events);
    if (events & FD_CONNECT) line += " FD_CONNECT";
    if (events & FD_READ) line += " FD_READ";
    if (events & FD_WRITE) line += " FD_WRITE";
    if (events & FD_CLOSE) line += " FD_CLOSE";
    if (events & FD_ACCEPT) line += " FD_ACCEPT";
    DebugLog(TLogOption::loWsockDump, line);
    if (!*alive) return;
  }
  if (static_cast<SOCKET>(wParam) != handle_ || paused_) return;
  if (events & FD_CONNECT) HandleFdConnect(error);
  if (!*alive) return;
  if (events & FD_READ) HandleFdRead(error);
  if (!*alive) return;
  if (events & FD_WRITE) HandleFdWrite(error);
  if (!*alive) return;
  if (events & FD_ACCEPT) TriggerSessionAvailable(error);
  if (!*alive) return;
  if (events & FD_CLOSE) HandleFdClose(error);
}

void TCustomNetSocket::HandleFdConnect(std::uint16_t error) {
  if (state_ == TSocketState::wsConnected) return;
  AliveToken alive = alive_;
  SetState(TSocketState::wsConnected);
  if (!*alive) return;
  TriggerSessionConnected(error);
  if (!*alive) return;
  if (error != 0 && state_ != TSocketState::wsClosed) Close();
}

void TCustomNetSocket::HandleFdRead(std::uint16_t error) {
  AliveToken alive = alive_;
  if (state_ != TSocketState::wsConnected) {
    // Data may be reported before the connection itself.
    SetState(TSocketState::wsConnected);
    if (!*alive) return;
    TriggerSessionConnected(error);
    if (!*alive) return;
  }
  ReceiveLoop(error, ComponentOptions);
}

void TCustomNetSocket::HandleFdWrite(std::uint16_t error) {
  AliveToken alive = alive_;
  TryToSend();
  if (!*alive) return;
  if (allSent_) TriggerDataSent(error);
}

void TCustomNetSocket::HandleFdClose(std::uint16_t error) {
  if (state_ == TSocketState::wsConnecting || handle_ == INVALID_SOCKET) return;
  AliveToken alive = alive_;
  TNetSocketOptions options = ComponentOptions;
  options.Exclude(TNetSocketOption::wsoNoReceiveLoop);
  ReceiveLoop(0, options);
  if (!*alive) return;
  if (!closeSignalled_) {
    closeSignalled_ = true;
    TriggerSessionClosed(error);
    if (!*alive) return;
  }
  if (state_ != TSocketState::wsClosed) Close();
}

// ---- connecting ----

void TCustomNetSocket::ResolveForConnect() {
  if (!protoResolved_) {
    protoNumber_ = NetSocketResolveProto(proto_);
    socketType_ = protoNumber_ == IPPROTO_TCP ? SOCK_STREAM : protoNumber_ == IPPROTO_UDP ? SOCK_DGRAM : SOCK_RAW;
    protoResolved_ = true;
  }
  if (!portResolved_) {
    portNumber_ = NetSocketResolvePort(port_, proto_);
    portResolved_ = true;
  }
  if (!localPortResolved_) {
    localPortNumber_ = NetSocketResolvePort(localPort_, proto_);
    localPortResolved_ = true;
  }
  if (!addrResolved_) {
    remote_.sin_addr.s_addr = NetSocketResolveHost(addr_);
    addrResolved_ = true;
  }
  remote_.sin_family = AF_INET;
  remote_.sin_port = HostToNet16(portNumber_);
}

bool TCustomNetSocket::SetOption(int level, int name, int value, const char* what) {
  if (ws::setsockopt(handle_, level, name, reinterpret_cast<const char*>(&value), sizeof value) == 0) return true;
  ReportWinsockError(what);
  return false;
}

int TCustomNetSocket::CloseSocketHandle() {
  const int result = ws::closesocket(handle_);
  if (result == 0) detail::RetireHandle(window_, handle_);
  return result;
}

bool TCustomNetSocket::SelectEvents(long mask, const char* what) {
  selectMask_ = mask;
  if (ws::WSAAsyncSelect(handle_, Window(), kMsgNetEvent, mask) == 0) return true;
  ReportWinsockError(what);
  return false;
}

bool TCustomNetSocket::ReadBufferSizes() {
  LibraryHold hold;
  int length = sizeof sendBufferSize_;
  if (ws::getsockopt(handle_, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<char*>(&sendBufferSize_), &length) != 0) {
    ReportWinsockError("getsockopt(SO_SNDBUF)");
    return false;
  }
  length = sizeof receiveBufferSize_;
  if (ws::getsockopt(handle_, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&receiveBufferSize_), &length) != 0) {
    ReportWinsockError("getsockopt(SO_RCVBUF)");
    return false;
  }
  return true;
}

bool TCustomNetSocket::ApplyLinger() {
  if (LingerOnOff == TSocketLingerOnOff::wsLingerNoSet) return true;
  if (handle_ == INVALID_SOCKET) {
    ReportError("Cannot set linger option at this time");
    return false;
  }
  linger value{};
  value.l_onoff = static_cast<u_short>(LingerOnOff == TSocketLingerOnOff::wsLingerOn ? 1 : 0);
  value.l_linger = static_cast<u_short>(LingerTimeout);
  if (ws::setsockopt(handle_, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&value), sizeof value) == 0)
    return true;
  ReportWinsockError("setsockopt(SO_LINGER)");
  return false;
}

bool TCustomNetSocket::ApplyKeepAlive() {
  if (KeepAliveOnOff == TSocketKeepAliveOnOff::wsKeepAliveOff) return true;
  if (!SetOption(SOL_SOCKET, SO_KEEPALIVE, 1, "setsockopt(SO_KEEPALIVE)")) return false;
  if (KeepAliveOnOff != TSocketKeepAliveOnOff::wsKeepAliveOnCustom) return true;
  u_long values[3] = {1, static_cast<u_long>(KeepAliveTime), static_cast<u_long>(KeepAliveInterval)};
  char out[12] = {};
  DWORD returned = 0;
  if (NetSocket_WSAIoctl(handle_, 0x98000004, values, sizeof values, out, sizeof out, &returned) == 0) return true;
  ReportWinsockError("NetSocket_WSAIoctl(SIO_KEEPALIVE_VALS)");
  return false;
}

bool TCustomNetSocket::BindLocal() {
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = HostToNet16(localPortNumber_);
  try {
    local.sin_addr.s_addr = NetSocketResolveHost(localAddr_);
  } catch (const sv::Exception& e) {
    ReportError(e.Message());
    return false;
  }
  char text[80];
  if (ws::bind(handle_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
    LastError = ws::WSAGetLastError();
    std::snprintf(text, sizeof text, "winsock.bind failed, error #%d", LastError);
    ReportError(text);
    return false;
  }
  int length = sizeof local;
  if (ws::getsockname(handle_, reinterpret_cast<sockaddr*>(&local), &length) != 0) {
    LastError = ws::WSAGetLastError();
    std::snprintf(text, sizeof text, "winsock.getsockname failed, error #%d", LastError);
    ReportError(text);
    return false;
  }
  localPortNumber_ = NetToHost16(local.sin_port);
  localPort_ = std::to_string(localPortNumber_);
  return true;
}

void TCustomNetSocket::Connect() {
  if (handle_ != INVALID_SOCKET && state_ != TSocketState::wsClosed)
    return ReportError("Connect: Socket already in use");
  if (!portAssigned_) return ReportError("Connect: No Port Specified");
  if (!addrAssigned_) return ReportError("Connect: No IP Address Specified");
  if (!protoAssigned_) return ReportError("Connect: No Protocol Specified");
  try {
    ResolveForConnect();
  } catch (const sv::Exception& e) {
    return ReportError("connect: " + e.Message());
  }
  DiscardSendQueue();
  handle_ = ws::socket(AF_INET, socketType_, protoNumber_);
  if (handle_ == INVALID_SOCKET) return ReportWinsockError("Connect (socket)");
  if (!ReadBufferSizes()) return;
  AliveToken alive = alive_;
  SetState(TSocketState::wsOpened);
  if (!*alive) return;
  if (state_ != TSocketState::wsOpened) {
    LastError = WSAEINVAL;
    return ReportError("Connect (Invalid operation in OnChangeState)");
  }
  if (socketType_ == SOCK_DGRAM) {
    if (!BindLocal()) return;
    if (MultiCast && !ApplyMultiCastSending()) return;
    if (remote_.sin_addr.s_addr == INADDR_BROADCAST &&
        !SetOption(SOL_SOCKET, SO_BROADCAST, 1, "setsockopt(SO_BROADCAST)"))
      return;
  } else {
    if (!SetOption(SOL_SOCKET, SO_REUSEADDR, -1, "setsockopt(SO_REUSEADDR)")) return;
    if (ComponentOptions.Contains(TNetSocketOption::wsoTcpNoDelay) &&
        !SetOption(IPPROTO_TCP, TCP_NODELAY, -1, "setsockopt(IPPROTO_TCP, TCP_NODELAY)"))
      return;
    if (!ApplyLinger() || !ApplyKeepAlive()) return;
    if ((localPortNumber_ != 0 || localAddr_ != "0.0.0.0") && !BindLocal()) return;
  }
  if (!SelectEvents(FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE, "WSAAsyncSelect")) return;
  if (socketType_ == SOCK_DGRAM) {
    SetState(TSocketState::wsConnected);
    if (!*alive) return;
    TriggerSessionConnected(0);
    return;
  }
  if (CheckLogOptions(TLogOption::loWsockInfo)) {
    DebugLog(TLogOption::loWsockInfo,
             "TNetSocket will connect to " + DottedAddress(remote_.sin_addr.s_addr) + ":" + std::to_string(portNumber_));
    if (!*alive) return;
  }
  if (ws::connect(handle_, reinterpret_cast<sockaddr*>(&remote_), sizeof remote_) == 0 ||
      ws::WSAGetLastError() == WSAEWOULDBLOCK) {
    SetState(TSocketState::wsConnecting);
    return;
  }
  LastError = ws::WSAGetLastError();
  ReportWinsockError("Connect");
}

// ---- closing ----

void TCustomNetSocket::Close() { InternalClose(true, 0); }

void TCustomNetSocket::CloseDelayed() { PostMessageW(Window(), kMsgCloseDelayed, static_cast<WPARAM>(id_), 0); }

void TCustomNetSocket::ReleaseLater() { PostMessageW(Window(), kMsgRelease, static_cast<WPARAM>(id_), 0); }

void TCustomNetSocket::ReleaseLater(std::unique_ptr<TCustomNetSocket> socket) {
  if (!socket) return;
  std::uint64_t id = socket->id_;
  HWND window = socket->Window();
  detail::AdoptForRelease(id, std::move(socket));
  PostMessageW(window, kMsgRelease, static_cast<WPARAM>(id), 0);
}

void TCustomNetSocket::Abort() { AbortWithError(0); }

void TCustomNetSocket::AbortWithError(std::uint16_t errCode) {
  AliveToken alive = alive_;
  CancelDnsLookup();
  if (!*alive) return;
  DiscardSendQueue();
  if (handle_ != INVALID_SOCKET && state_ == TSocketState::wsConnected && socketType_ == SOCK_STREAM) {
    LingerOnOff = TSocketLingerOnOff::wsLingerOff;
    ApplyLinger();
    if (!*alive) return;
  }
  InternalClose(false, errCode);
}

void TCustomNetSocket::Shutdown(int how) {
  if (CheckLogOptions(TLogOption::loWsockInfo)) {
    AliveToken alive = alive_;
    DebugLog(TLogOption::loWsockInfo,
             Hex8(this) + " TCustomNetSocket.Shutdown " + std::to_string(how) + " " + std::to_string(handle_));
    if (!*alive) return;
  }
  if (handle_ != INVALID_SOCKET) ws::shutdown(handle_, how);
}

void TCustomNetSocket::InternalClose(bool shutdown, std::uint16_t errCode) {
  AliveToken alive = alive_;
  if (handle_ == INVALID_SOCKET) {
    if (state_ != TSocketState::wsClosed) {
      SetState(TSocketState::wsClosed);
      if (!*alive) return;
      ResetDefaults();
    }
    return;
  }
  if (state_ == TSocketState::wsClosed) return;
  if (shutdown) {
    Shutdown(1);
    if (!*alive) return;
  }
  // A lingering close of a non-blocking socket may answer "would block":
  // serve the queue and try again, a bounded number of times.
  for (int attempt = 0; CloseSocketHandle() != 0; ++attempt) {
    int error = ws::WSAGetLastError();
    if (error == WSAEWOULDBLOCK && attempt < 200) {
      ProcessMessages();
      if (!*alive) return;
      MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      continue;
    }
    LastError = error;
    handle_ = INVALID_SOCKET;
    if (error != WSANOTINITIALISED) return ReportWinsockError("Disconnect (closesocket)");
    break;
  }
  handle_ = INVALID_SOCKET;
  SetState(TSocketState::wsClosed);
  if (!*alive) return;
  if (!destroying_ && !closeSignalled_) {
    closeSignalled_ = true;
    TriggerSessionClosed(errCode);
    if (!*alive) return;
  }
  try {
    ResetDefaults();
  } catch (...) {
  }
}

void TCustomNetSocket::ResetDefaults() {
  remote_ = sockaddr_in{};
  remote_.sin_family = AF_INET;
  addrAssigned_ = addrResolved_ = false;
  portAssigned_ = portResolved_ = false;
  protoResolved_ = localPortResolved_ = false;
  proto_ = "tcp";
  protoAssigned_ = true;
  protoNumber_ = IPPROTO_TCP;
  socketType_ = SOCK_STREAM;
  localPort_ = "0";
  localAddr_ = "0.0.0.0";
  LingerOnOff = TSocketLingerOnOff::wsLingerOn;
  LingerTimeout = 0;
  handle_ = INVALID_SOCKET;
  selectMask_ = 0;
  state_ = TSocketState::wsClosed;
  allSent_ = true;
  paused_ = false;
  readCount_ = 0;
  closeSignalled_ = false;
  FlushTimeout = 60;
}

void TCustomNetSocket::Pause() {
  paused_ = true;
  if (handle_ != INVALID_SOCKET) ws::WSAAsyncSelect(handle_, Window(), 0, 0);
}

void TCustomNetSocket::Resume() {
  paused_ = false;
  if (handle_ != INVALID_SOCKET) ws::WSAAsyncSelect(handle_, Window(), kMsgNetEvent, selectMask_);
}

}  // namespace sv::net
