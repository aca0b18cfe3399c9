#pragma once
// The asynchronous socket component: a TCP, UDP or raw IPv4 socket that
// never blocks. The sockets library posts the socket's network events to a
// hidden window shared by all sockets of the thread; each posted message
// becomes one of the component's events on that thread. DetachWindow and
// AttachWindow move a socket to another thread; it is freed on the thread
// it is attached to, or detached.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "net/core/NetSockBuf.h"
#include "net/win32/NetLogger.h"
#include "net/win32/NetSocketTypes.h"
#include "net/win32/WinsockApi.h"

namespace sv::net {

class TCustomNetSocket;

using TDataAvailable = std::function<void(TCustomNetSocket* sender, std::uint16_t errCode)>;
using TDataSent = std::function<void(TCustomNetSocket* sender, std::uint16_t errCode)>;
using TSendData = std::function<void(TCustomNetSocket* sender, int bytesSent)>;
using TSessionClosed = std::function<void(TCustomNetSocket* sender, std::uint16_t errCode)>;
using TSessionAvailable = std::function<void(TCustomNetSocket* sender, std::uint16_t errCode)>;
using TSessionConnected = std::function<void(TCustomNetSocket* sender, std::uint16_t errCode)>;
using TChangeState = std::function<void(TCustomNetSocket* sender, TSocketState oldState, TSocketState newState)>;
using TDnsLookupDone = std::function<void(TCustomNetSocket* sender, std::uint16_t errCode)>;
using TNotifyEvent = std::function<void(TCustomNetSocket* sender)>;
using TBgExceptionEvent = std::function<void(TCustomNetSocket* sender, const sv::Exception& e, bool& canClose)>;

// Own messages of the hidden window.
constexpr UINT kMsgNetEvent = WM_USER + 1;
constexpr UINT kMsgDnsDone = WM_USER + 2;
constexpr UINT kMsgReverseDnsDone = WM_USER + 3;
constexpr UINT kMsgCloseDelayed = WM_USER + 4;
constexpr UINT kMsgRelease = WM_USER + 5;
constexpr UINT kMsgTestException = WM_USER + 6;
// Posted after a handle is closed: the events queued before it are stale.
constexpr UINT kMsgHandleRetired = WM_USER + 7;
constexpr UINT kMsgLineRedeliver = WM_USER + 20;

class TCustomNetSocket : public forms::TComponent {
 public:
  explicit TCustomNetSocket(forms::TComponent* owner);
  ~TCustomNetSocket() override;

  // Properties.
  const std::string& Addr() const { return addr_; }
  void SetAddr(const std::string& value);
  const std::string& Port() const { return port_; }
  virtual void SetPort(const std::string& value);
  const std::string& Proto() const { return proto_; }
  virtual void SetProto(const std::string& value);
  const std::string& LocalAddr() const { return localAddr_; }
  void SetLocalAddr(const std::string& value);
  const std::string& LocalPort() const { return localPort_; }
  void SetLocalPort(const std::string& value);
  std::string PeerAddr();
  std::string PeerPort();
  const std::string& DnsResult() const { return dnsResult_; }
  const std::vector<std::string>& DnsResultList() const { return dnsResultList_; }
  TSocketState State() const { return state_; }
  std::int64_t ReadCount() const { return readCount_; }
  int RcvdCount() { return GetRcvdCount(); }
  int LastError = 0;
  bool MultiThreaded = false;
  // A UDP socket sends to a group (MultiCastIpTTL hops, from the interface
  // LocalAddr when one is set), or joins MultiCastAddrStr when it listens.
  bool MultiCast = false;
  std::string MultiCastAddrStr;
  int MultiCastIpTTL = 1;
  bool ReuseAddr = false;
  TNetSocketOptions ComponentOptions;
  int ListenBacklog = 5;
  int FlushTimeout = 60;
  TSocketSendFlags SendFlags() const { return sendFlags_; }
  void SetSendFlags(TSocketSendFlags flags);
  TSocketLingerOnOff LingerOnOff = TSocketLingerOnOff::wsLingerOn;
  int LingerTimeout = 0;
  TSocketKeepAliveOnOff KeepAliveOnOff = TSocketKeepAliveOnOff::wsKeepAliveOnSystem;
  int KeepAliveTime = 30000;
  int KeepAliveInterval = 1000;
  TNetLogger* NetLogger() const { return logger_; }
  virtual void SetNetLogger(TNetLogger* logger);
  // Process-wide; refused once the sockets library is loaded.
  void SetReqVerLow(std::uint8_t value);
  void SetReqVerHigh(std::uint8_t value);
  SOCKET Handle() const { return handle_; }
  // True while the component is between a dispatched message's start and end.
  bool InDispatch() const { return dispatchDepth_ > 0; }

  // Events.
  TDataAvailable OnDataAvailable;
  TDataSent OnDataSent;
  TSendData OnSendData;
  TSessionClosed OnSessionClosed;
  TSessionAvailable OnSessionAvailable;
  TSessionConnected OnSessionConnected;
  TChangeState OnChangeState;
  TDnsLookupDone OnDnsLookupDone;
  TNotifyEvent OnError;
  TBgExceptionEvent OnBgException;

  // Operations.
  virtual void Connect();
  virtual void Close();
  void CloseDelayed();
  // Frees an owned component once the current message has been handled.
  void ReleaseLater();
  // The same for a component the caller holds itself.
  static void ReleaseLater(std::unique_ptr<TCustomNetSocket> socket);
  void Abort();
  virtual void AbortWithError(std::uint16_t errCode);
  void DnsLookup(const std::string& hostName);
  void CancelDnsLookup();
  void ReverseDnsLookup(const std::string& address);
  void ReverseDnsLookupSync(const std::string& address);
  virtual void Listen();
  SOCKET Accept();
  void Dup(SOCKET handle);
  void Shutdown(int how);
  void Pause();
  void Resume();
  std::string LocalPortText();
  std::string LocalAddrText();
  // The raw address records: 0, or -1 when there is none (the remote one
  // only while connected). length gives the buffer's size and takes the
  // record's.
  int PeerSockAddr(sockaddr* buffer, int& length);
  int LocalSockAddr(sockaddr* buffer, int& length);
  static bool IsTimevalNonZero(const timeval& value);
  static void ZeroTimeval(timeval& value);
  // Whether a and b are equal, or different when equal is false.
  static bool SameTimeval(const timeval& a, const timeval& b, bool equal = true);
  // Moves the socket's events to the calling thread: detach on the thread
  // it is attached to, then attach on the new one.
  void AttachWindow();
  void DetachWindow();

  // Data path.
  void QueueSendData(const void* data, int len);
  int Send(const void* data, int len);
  int SendText(const std::string& text);
  int SendDatagram(const sockaddr_in& to, const void* data, int len);
  void Flush();
  // Serves messages and delivers what arrives until the connection closes
  // (the peer's close arrives as a message), a WM_QUIT or the application's end.
  void DrainUntilClosed();
  int Receive(void* buffer, int len);
  std::string ReceiveText();
  int ReceiveDatagram(void* buffer, int len, sockaddr_in* from);
  std::int64_t BufferedCount() const { return queue_.QueuedBytes(); }
  bool AllSent() const { return allSent_; }

  // Message pumps: every queued message of the calling thread.
  void ProcessMessages();
  void PumpMessages();
  bool PumpOneMessage();
  bool Terminated() const { return terminated_; }

  // Tracing: true when a logger is attached and takes the option.
  bool CheckLogOptions(TLogOption option) const;
  void DebugLog(TLogOption option, const std::string& text);

  // Used by the shared window only.
  LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  std::uint64_t Id() const { return id_; }
  HANDLE DnsTask() const { return dnsTask_; }
  bool StartingLookup() const { return startingLookup_; }

 protected:
  void Notification(forms::TComponent* component, forms::ComponentOperation operation) override;
  virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Overridden by line mode.
  virtual int GetRcvdCount();
  virtual int RecvRaw(char* buffer, int len);
  // Answers false when no OnDataAvailable handler exists.
  virtual bool TriggerDataAvailable(std::uint16_t errCode);
  virtual void TriggerSessionClosed(std::uint16_t errCode);
  virtual void ResetDefaults();

  virtual void TriggerSessionConnected(std::uint16_t errCode);
  void TriggerChangeState(TSocketState oldState, TSocketState newState);
  void TriggerDnsLookupDone(std::uint16_t errCode);
  void TriggerDataSent(std::uint16_t errCode);
  void TriggerError();
  void SetState(TSocketState state);
  void ReportError(const std::string& text);
  void ReportWinsockError(const std::string& function);
  void HandleBackgroundError(const sv::Exception& e);
  void InternalClose(bool shutdown, std::uint16_t errCode);
  // The next Connect goes to this address and port (network order address)
  // instead of Addr and Port, which keep naming the final target.
  void RedirectConnection(std::uint32_t address, std::uint16_t port) {
    remote_.sin_addr.s_addr = address;
    portNumber_ = port;
    addrResolved_ = portResolved_ = true;
  }
  // After a redirected Connect that failed at once: Addr and Port resolve anew.
  void CancelRedirection() { addrResolved_ = portResolved_ = false; }
  void TryToSend();
  void ReceiveLoop(std::uint16_t errCode, TNetSocketOptions options);
  HWND Window() const;

  // Becomes false when the component is freed; code that fires an event
  // keeps a copy and stops touching the component once it reads false.
  using AliveToken = std::shared_ptr<bool>;
  AliveToken Token() const { return alive_; }
  bool destroying_ = false;

 private:
  void HandleNetEvent(WPARAM wParam, LPARAM lParam);
  void HandleFdConnect(std::uint16_t error);
  void HandleFdRead(std::uint16_t error);
  void HandleFdWrite(std::uint16_t error);
  void HandleFdClose(std::uint16_t error);
  void HandleDnsDone(WPARAM wParam, LPARAM lParam);
  void HandleReverseDnsDone(WPARAM wParam, LPARAM lParam);
  void TakeHostName(const hostent* entry);
  bool StartReverseLookup(const std::string& address, std::uint32_t& converted);
  void TriggerSessionAvailable(std::uint16_t errCode);
  void ResolveForConnect();
  bool ReadBufferSizes();
  bool ApplyLinger();
  bool ApplyKeepAlive();
  bool BindLocal();
  bool SetOption(int level, int name, int value, const char* what);
  bool ApplyMultiCastSending();
  bool JoinMultiCastGroup();
  // Listen's part for each socket type.
  bool ListenStream(const AliveToken& alive);
  bool ListenDatagram(const AliveToken& alive);
  bool ListenRaw(const AliveToken& alive);
  bool ResolveForListen();
  bool SelectEvents(long mask, const char* what);
  // closesocket, then the value's events still queued are retired.
  int CloseSocketHandle();
  void DiscardSendQueue();
  // One lock for the send queues of all sockets.
  static SendQueueLock* SharedSendLock();

  AliveToken alive_ = std::make_shared<bool>(true);
  std::uint64_t id_ = 0;
  SOCKET handle_ = INVALID_SOCKET;
  TSocketState state_ = TSocketState::wsClosed;
  sockaddr_in remote_{};
  std::string addr_, port_, proto_ = "tcp", localAddr_ = "0.0.0.0", localPort_ = "0";
  bool addrAssigned_ = false, addrResolved_ = false;
  bool portAssigned_ = false, portResolved_ = false;
  bool protoAssigned_ = true, protoResolved_ = false, localPortResolved_ = false;
  int protoNumber_ = IPPROTO_TCP;
  int socketType_ = SOCK_STREAM;
  std::uint16_t portNumber_ = 0;
  std::uint16_t localPortNumber_ = 0;
  long selectMask_ = 0;
  bool paused_ = false;
  bool closeSignalled_ = false;
  bool allSent_ = true;
  SendQueue queue_{SharedSendLock()};
  int sendBufferSize_ = 0, receiveBufferSize_ = 0;
  TSocketSendFlags sendFlags_ = TSocketSendFlags::wsSendNormal;
  std::string dnsResult_;
  std::vector<std::string> dnsResultList_;
  HANDLE dnsTask_ = nullptr;
  // The lookup's completion may be dispatched before its start returns the
  // handle: it is kept and served then.
  bool startingLookup_ = false;
  struct EarlyCompletion {
    WPARAM wParam;
    LPARAM lParam;
  };
  std::optional<EarlyCompletion> earlyCompletion_;
  HWND window_ = nullptr;
  DWORD windowThread_ = 0;
  std::vector<char> dnsBuffer_ = std::vector<char>(MAXGETHOSTSTRUCT);
  std::int64_t readCount_ = 0;
  bool terminated_ = false;
  int dispatchDepth_ = 0;
  TNetLogger* logger_ = nullptr;
};

}  // namespace sv::net
