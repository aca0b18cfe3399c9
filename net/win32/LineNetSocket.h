#pragma once
// Line mode on top of the socket: received bytes are gathered until the line
// end, and each complete line is offered to OnDataAvailable on its own. Then
// the waiting operations, and TNetSocket, the class programs use.
#include <functional>
#include <memory>
#include <string>

#include "net/core/NetLineAssembler.h"
#include "net/win32/SocksNetSocket.h"

namespace sv::net {

using TLineLimitExceeded = std::function<void(TCustomNetSocket* sender, int rcvdLength, bool& clearData)>;

class TCustomLineNetSocket : public TCustomSocksNetSocket {
 public:
  explicit TCustomLineNetSocket(forms::TComponent* owner);

  bool LineMode() const { return lines_->LineMode(); }
  void SetLineMode(bool value);
  std::string LineEnd = "\r\n";
  // Stored bytes without a line end beyond this fire OnLineLimitExceeded;
  // a ceiling of 1 MiB holds whatever the value.
  int LineLimit = 65536;
  // Received bytes are sent back as they arrive.
  bool LineEcho = false;
  // Received bytes are edited as typed text (backspace, tab).
  bool LineEdit = false;
  TLineLimitExceeded OnLineLimitExceeded;

  // Sends the text and the line end; answers the text's length plus 2.
  int SendTextLine(const std::string& text);

 protected:
  LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  int GetRcvdCount() override;
  int RecvRaw(char* buffer, int len) override;
  bool TriggerDataAvailable(std::uint16_t errCode) override;
  void TriggerSessionClosed(std::uint16_t errCode) override;

 private:
  // Feeds received bytes to the assembler, which offers the complete lines.
  void Feed(std::string_view bytes, std::uint16_t errCode);
  void DeliverRest(std::uint16_t errCode);
  void Redeliver();

  // Shared so that it outlives a handler that frees the socket while the
  // assembler is still offering lines.
  std::shared_ptr<LineAssembler> lines_ = std::make_shared<LineAssembler>();
  std::uint16_t offerError_ = 0;
};

class TCustomSyncNetSocket : public TCustomLineNetSocket {
 public:
  explicit TCustomSyncNetSocket(forms::TComponent* owner) : TCustomLineNetSocket(owner) {}

  // Milliseconds; 0 waits without limit.
  unsigned Timeout = 0;
  static constexpr int kWaitFailed = 12001;

  // Serves messages until the flag is set: 0, or 12001 on time-out, on the
  // application's end or on a WM_QUIT. The wait sleeps between messages.
  int WaitForFlag(const bool& flag);
  int RunThenWait(bool& flag, const std::function<void()>& routine);
};

class TNetSocket : public TCustomSyncNetSocket {
 public:
  explicit TNetSocket(forms::TComponent* owner) : TCustomSyncNetSocket(owner) {}
};

}  // namespace sv::net
