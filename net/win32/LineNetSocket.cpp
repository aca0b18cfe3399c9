#include "net/win32/LineNetSocket.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "forms/Application.h"

namespace sv::net {

TCustomLineNetSocket::TCustomLineNetSocket(forms::TComponent* owner) : TCustomSocksNetSocket(owner) {
  // The assembler's callbacks check that the socket still lives.
  lines_->OnLineOffered = [this, alive = Token()] {
    return *alive && TCustomNetSocket::TriggerDataAvailable(offerError_);
  };
  lines_->OnLineLimitExceeded = [this, alive = Token()](std::int64_t stored, bool& clearData) {
    if (!*alive) return;
    if (auto handler = OnLineLimitExceeded) handler(this, static_cast<int>(std::min<std::int64_t>(stored, INT_MAX)), clearData);
  };
  lines_->OnEcho = [this, alive = Token()](std::string_view bytes) {
    if (*alive) Send(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX)));
  };
}

void TCustomLineNetSocket::SetLineMode(bool value) {
  if (lines_->SetLineMode(value)) PostMessageW(Window(), kMsgLineRedeliver, static_cast<WPARAM>(Id()), 0);
}

int TCustomLineNetSocket::SendTextLine(const std::string& text) {
  if (text.empty()) return 0;
  QueueSendData(text.data(), static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX)));
  SendText(LineEnd);
  return static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX - 2)) + 2;
}

LRESULT TCustomLineNetSocket::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kMsgLineRedeliver) return TCustomNetSocket::WndProc(message, wParam, lParam);
  Redeliver();
  return 0;
}

void TCustomLineNetSocket::Redeliver() {
  AliveToken alive = Token();
  std::shared_ptr<LineAssembler> lines = lines_;
  // Bounded: each call either takes bytes or, in line mode, finds no line.
  for (int round = 0; !lines->Stored().empty() && round < 1000; ++round) {
    std::size_t before = lines->Stored().size();
    lines->ClearLineFound();
    TriggerDataAvailable(0);
    if (!*alive) return;
    if (lines->LineMode() && !lines->LineFound() && round >= 3) return;
    if (!lines->LineMode() && lines->Stored().size() >= before) return;
  }
}

int TCustomLineNetSocket::GetRcvdCount() {
  if (lines_->LineMode()) return static_cast<int>(std::min<std::int64_t>(lines_->OfferedLength(), INT_MAX));
  if (!lines_->Stored().empty()) return static_cast<int>(std::min<std::size_t>(lines_->Stored().size(), INT_MAX));
  return TCustomNetSocket::GetRcvdCount();
}

int TCustomLineNetSocket::RecvRaw(char* buffer, int len) {
  bool fromLines = lines_->LineMode() ? lines_->OfferedLength() > 0 : !lines_->Stored().empty();
  if (fromLines) return static_cast<int>(lines_->Read(buffer, static_cast<std::size_t>(std::max(len, 0))));
  return TCustomNetSocket::RecvRaw(buffer, len);
}

void TCustomLineNetSocket::Feed(std::string_view bytes, std::uint16_t errCode) {
  AliveToken alive = Token();
  std::shared_ptr<LineAssembler> lines = lines_;
  lines->LineEnd = LineEnd;
  lines->LineLimit = LineLimit;
  lines->LineEcho = LineEcho;
  lines->LineEdit = LineEdit;
  offerError_ = errCode;
  lines->Feed(bytes);
  if (*alive) DeliverRest(errCode);
}

void TCustomLineNetSocket::DeliverRest(std::uint16_t errCode) {
  // A handler that switched line mode off gets the rest as plain data.
  AliveToken alive = Token();
  for (int round = 0; !lines_->LineMode() && !lines_->Stored().empty() && round < 1000; ++round) {
    std::size_t before = lines_->Stored().size();
    bool handled = TCustomNetSocket::TriggerDataAvailable(errCode);
    if (!*alive) return;
    if (!handled || lines_->Stored().size() >= before) {
      // Nobody takes them: dropped rather than offered forever.
      char scratch[1024];
      while (lines_->Read(scratch, sizeof scratch) > 0) {
      }
      return;
    }
  }
}

bool TCustomLineNetSocket::TriggerDataAvailable(std::uint16_t errCode) {
  // SOCKS replies are not lines: the negotiation reads them itself.
  if (SocksNegotiating() || !lines_->LineMode() || LineEnd.empty())
    return TCustomSocksNetSocket::TriggerDataAvailable(errCode);
  int waiting = TCustomNetSocket::GetRcvdCount();
  if (waiting < 0) return true;
  if (waiting == 0) waiting = 255;
  std::vector<char> incoming(static_cast<std::size_t>(waiting));
  int received = TCustomNetSocket::RecvRaw(incoming.data(), waiting);
  if (received < 0) LastError = ws::WSAGetLastError();
  if (received <= 0 && lines_->Stored().empty()) return true;
  Feed(std::string_view(incoming.data(), static_cast<std::size_t>(std::max(received, 0))), errCode);
  return true;
}

void TCustomLineNetSocket::TriggerSessionClosed(std::uint16_t errCode) {
  AliveToken alive = Token();
  std::shared_ptr<LineAssembler> lines = lines_;
  offerError_ = errCode;
  // The last bytes, without a line end, still make a line.
  lines->Close();
  if (!*alive) return;
  TCustomSocksNetSocket::TriggerSessionClosed(errCode);
}

int TCustomSyncNetSocket::WaitForFlag(const bool& flag) {
  AliveToken alive = Token();
  ULONGLONG end = GetTickCount64() + Timeout;
  while (*alive && !flag) {
    if (Timeout > 0 && GetTickCount64() > end) return kWaitFailed;
    if ((forms::Application && forms::Application->Terminated()) || Terminated()) return kWaitFailed;
    ProcessMessages();
    if (!*alive) return kWaitFailed;
    if (!flag) MsgWaitForMultipleObjectsEx(0, nullptr, 50, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  return *alive ? 0 : kWaitFailed;
}

int TCustomSyncNetSocket::RunThenWait(bool& flag, const std::function<void()>& routine) {
  flag = false;
  if (routine) routine();
  return WaitForFlag(flag);
}

}  // namespace sv::net
