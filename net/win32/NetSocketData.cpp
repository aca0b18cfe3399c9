// The socket's data path: the send queue and its draining, reception and
// the receive loop, and the message pumps.
#include <algorithm>
#include <climits>
#include <mutex>
#include <vector>

#include "forms/Application.h"
#include "net/win32/NetSocket.h"

namespace sv::net {

namespace {

class ProcessSendLock : public SendQueueLock {
 public:
  void Lock() override { mutex_.lock(); }
  void Unlock() override { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

}  // namespace

SendQueueLock* TCustomNetSocket::SharedSendLock() {
  static ProcessSendLock lock;
  return &lock;
}

void TCustomNetSocket::DiscardSendQueue() { queue_.Discard(); }

void TCustomNetSocket::QueueSendData(const void* data, int len) {
  if (len <= 0 || !data) return;
  queue_.QueueSendData(static_cast<const char*>(data), len);
  allSent_ = false;
}

int TCustomNetSocket::Send(const void* data, int len) {
  if (state_ != TSocketState::wsConnected && state_ != TSocketState::wsSocksConnected) {
    ws::WSASetLastError(WSAENOTCONN);
    ReportWinsockError("Send");
    return -1;
  }
  allSent_ = false;
  if (len > 0) QueueSendData(data, len);
  else len = 0;
  AliveToken alive = alive_;
  TryToSend();
  if (!*alive) return len;
  // OnDataSent always comes later through the queue, never inside Send.
  if (allSent_ && handle_ != INVALID_SOCKET)
    PostMessageW(Window(), kMsgNetEvent, static_cast<WPARAM>(handle_), WSAMAKESELECTREPLY(FD_WRITE, 0));
  return len;
}

int TCustomNetSocket::SendText(const std::string& text) {
  if (text.empty()) return 0;
  return Send(text.data(), static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX)));
}

int TCustomNetSocket::SendDatagram(const sockaddr_in& to, const void* data, int len) {
  int sent = ws::sendto(handle_, static_cast<const char*>(data), std::max(len, 0),
                        sendFlags_ == TSocketSendFlags::wsSendUrgent ? MSG_OOB : 0,
                        reinterpret_cast<const sockaddr*>(&to), sizeof to);
  AliveToken alive = alive_;
  if (auto handler = OnSendData; sent > 0 && handler) handler(this, sent);
  if (*alive && allSent_ && socketType_ == SOCK_DGRAM && handle_ != INVALID_SOCKET)
    PostMessageW(Window(), kMsgNetEvent, static_cast<WPARAM>(handle_), WSAMAKESELECTREPLY(FD_WRITE, 0));
  return sent;
}

void TCustomNetSocket::TryToSend() {
  AliveToken alive = alive_;
  int flags = sendFlags_ == TSocketSendFlags::wsSendUrgent ? MSG_OOB : 0;
  for (;;) {
    if (handle_ == INVALID_SOCKET) {
      allSent_ = true;
      return;
    }
    bool wouldBlock = false;
    auto rawSend = [&](const char* data, std::size_t len) -> RawSendResult {
      int size = static_cast<int>(std::min<std::size_t>(len, INT_MAX));
      int sent = socketType_ == SOCK_DGRAM
                     ? ws::sendto(handle_, data, size, flags, reinterpret_cast<const sockaddr*>(&remote_),
                                  sizeof remote_)
                     : ws::send(handle_, data, size, flags);
      if (sent >= 0) return {sent, 0};
      int error = ws::WSAGetLastError();
      wouldBlock = error == WSAEWOULDBLOCK;
      return {-1, error};
    };
    // The queue holds the shared lock while it runs: the events wait until
    // it has returned, since a handler may send again or free the socket.
    std::vector<std::size_t> sends;
    TrySendResult result = queue_.TryToSend(rawSend, [&](std::size_t bytes) { sends.push_back(bytes); });
    for (std::size_t bytes : sends) {
      if (auto handler = OnSendData) handler(this, static_cast<int>(bytes));
      if (!*alive) return;
    }
    switch (result.outcome) {
      case SendOutcome::AllSent:
        allSent_ = true;
        return;
      case SendOutcome::Waiting:
        // After a partial take go on: only a refused send ("would block")
        // makes the library post the next FD_WRITE.
        if (wouldBlock) return;
        continue;
      case SendOutcome::Stopped:
        return;
      case SendOutcome::ConnectionLost:
        if (CheckLogOptions(TLogOption::loWsockErr)) {
          DebugLog(TLogOption::loWsockErr, Name() + " Winsock.Send failed " + std::to_string(result.error));
          if (!*alive) return;
        }
        closeSignalled_ = true;
        Close();
        if (!*alive) return;
        TriggerSessionClosed(static_cast<std::uint16_t>(result.error));
        return;
      case SendOutcome::Failed:
        ws::WSASetLastError(result.error);
        ReportWinsockError("TryToSend failed");
        return;
    }
  }
}

void TCustomNetSocket::Flush() {
  AliveToken alive = alive_;
  while (*alive && handle_ != INVALID_SOCKET && !allSent_) {
    TryToSend();
    if (!*alive || allSent_) return;
    ProcessMessages();
    if (!*alive || terminated_) return;
    MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void TCustomNetSocket::DrainUntilClosed() {
  AliveToken alive = alive_;
  while (*alive && handle_ != INVALID_SOCKET && state_ != TSocketState::wsClosed) {
    ProcessMessages();
    if (!*alive || handle_ == INVALID_SOCKET || terminated_) return;
    u_long waiting = 0;
    if (ws::ioctlsocket(handle_, FIONREAD, &waiting) != 0) return;
    if (waiting > 0) {
      TriggerDataAvailable(0);
      if (!*alive || handle_ == INVALID_SOCKET) return;
    }
    if (forms::Application && forms::Application->Terminated()) return;
    // Sleeps until something arrives instead of spinning.
    MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

int TCustomNetSocket::RecvRaw(char* buffer, int len) {
  if (handle_ == INVALID_SOCKET) {
    ws::WSASetLastError(WSAENOTSOCK);
    return -1;
  }
  int received = ws::recv(handle_, buffer, std::max(len, 0), 0);
  if (received > 0) readCount_ += received;
  return received;
}

int TCustomNetSocket::Receive(void* buffer, int len) {
  int received = RecvRaw(static_cast<char*>(buffer), len);
  if (received < 0) LastError = ws::WSAGetLastError();
  return received;
}

std::string TCustomNetSocket::ReceiveText() {
  int count = GetRcvdCount();
  if (count < 0) return {};
  if (count == 0) count = 255;
  std::string text(static_cast<std::size_t>(count), '\0');
  int received = Receive(text.data(), count);
  if (received < 1) return {};
  text.resize(static_cast<std::size_t>(received));
  return text;
}

int TCustomNetSocket::ReceiveDatagram(void* buffer, int len, sockaddr_in* from) {
  sockaddr_in scratch{};
  int fromLength = sizeof scratch;
  int received = ws::recvfrom(handle_, static_cast<char*>(buffer), std::max(len, 0), 0,
                              reinterpret_cast<sockaddr*>(from ? from : &scratch), &fromLength);
  if (received < 0) LastError = ws::WSAGetLastError();
  else readCount_ += received;
  return received;
}

int TCustomNetSocket::GetRcvdCount() {
  if (handle_ == INVALID_SOCKET) return 0;
  u_long waiting = 0;
  if (ws::ioctlsocket(handle_, FIONREAD, &waiting) != 0) {
    ReportWinsockError("ioctlSocket");
    return -1;
  }
  return static_cast<int>(std::min<u_long>(waiting, INT_MAX));
}

bool TCustomNetSocket::TriggerDataAvailable(std::uint16_t errCode) {
  // Called through a copy: the handler may free the component.
  auto handler = OnDataAvailable;
  if (!handler) return false;
  handler(this, errCode);
  return true;
}

void TCustomNetSocket::ReceiveLoop(std::uint16_t errCode, TNetSocketOptions options) {
  AliveToken alive = alive_;
  u_long lastWaiting = ULONG_MAX;
  for (;;) {
    LastError = 0;
    std::int64_t readBefore = readCount_;
    bool handled = false;
    try {
      handled = TriggerDataAvailable(errCode);
    } catch (...) {
      // A failing handler ends this delivery, not the connection.
      return;
    }
    if (!*alive) return;
    if (!handled && handle_ != INVALID_SOCKET) {
      char scratch[1024];
      int received = ws::recv(handle_, scratch, sizeof scratch, 0);
      if (received <= 0) {
        if (received < 0 && ws::WSAGetLastError() != WSAEWOULDBLOCK) LastError = ws::WSAGetLastError();
        return;
      }
      readBefore = -1;  // dropping is progress too
    }
    if (options.Contains(TNetSocketOption::wsoNoReceiveLoop)) return;
    if (LastError != 0) {
      if (LastError == -1) LastError = 0;
      return;
    }
    if (handle_ == INVALID_SOCKET) return;
    u_long waiting = 0;
    if (ws::ioctlsocket(handle_, FIONREAD, &waiting) != 0) {
      LastError = ws::WSAGetLastError();
      return;
    }
    if (waiting == 0) return;
    // A handler that reads nothing would keep this loop running forever.
    if (readCount_ == readBefore && waiting >= lastWaiting) return;
    lastWaiting = waiting;
  }
}

void TCustomNetSocket::ProcessMessages() {
  if (MultiThreaded || !forms::Application) PumpMessages();
  else forms::Application->ProcessMessages();
}

void TCustomNetSocket::PumpMessages() {
  AliveToken alive = alive_;
  while (*alive && PumpOneMessage()) {
  }
}

bool TCustomNetSocket::PumpOneMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    // Recorded and left in the queue for the outer loop, so the program
    // still ends once the waiting caller returns.
    terminated_ = true;
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

}  // namespace sv::net
