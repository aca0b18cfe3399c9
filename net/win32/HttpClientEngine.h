#pragma once
// The engine behind THttpClient: one request at a time as a chain of socket
// events and of messages posted to its own hidden window, from the name
// lookup to the end of the response, with the restarts that authentication
// and relocation ask for. The component holds it through a shared pointer so
// that a blocking call can keep it alive when the component is freed under it.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "forms/UtilityWindow.h"
#include "net/core/HttpCoding.h"
#include "net/core/HttpRelocation.h"
#include "net/core/HttpRequestBuilder.h"
#include "net/core/HttpResponseReader.h"
#include "net/win32/HttpAuth.h"
#include "net/win32/HttpClient.h"
#include "net/win32/HttpClientTypes.h"
#include "net/win32/LineNetSocket.h"

namespace sv::net {

class HttpClientEngine {
 public:
  HttpClientEngine(THttpClient* client, HttpClientEvents* events);
  ~HttpClientEngine();
  HttpClientEngine(const HttpClientEngine&) = delete;
  HttpClientEngine& operator=(const HttpClientEngine&) = delete;

  // Starts a request; raises EHttpException (codes 1, 2, 5) when it cannot.
  void Start(THttpRequest kind, const HttpClientSettings& settings, const std::string& name);
  bool Busy() const { return state_ != THttpState::httpReady; }
  THttpState State() const { return state_; }
  // Ends a running request with 404 "Connection aborted on request".
  void Abort();
  // The component is gone: no more events, no more use of its streams.
  void Orphan();
  // Drops the last owner's reference, or keeps it until the engine's own
  // event or message being served now has unwound.
  static void Release(std::shared_ptr<HttpClientEngine> engine);
  // Ends the request when a time-out passed; answers how long the pump may
  // wait before asking again (INFINITE without time-outs).
  DWORD CheckTimeouts();

  const HttpClientResult& Result() const { return result_; }
  int LocationChangeCurCount() const { return limiter_.LocationChangeCurCount(); }
  int RequestType() const { return requestType_; }
  const HttpAuthenticator& Auth() const { return auth_; }

 private:
  // Held while the engine serves an event, a message or a call, so that a
  // handler freeing the component does not free the engine under it.
  class Scope {
   public:
    explicit Scope(HttpClientEngine& engine) : engine_(engine) { ++engine_.dispatching_; }
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    HttpClientEngine& engine_;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void StartClose();
  void SetState(THttpState state);
  void PostLogin();
  void Login();
  void SocketDnsLookupDone(std::uint16_t error);
  void SocketSessionConnected(std::uint16_t error);
  void SocketDataAvailable();
  void SocketDataSent();
  void SocketSessionClosed(std::uint16_t error);
  void SendRequest();
  void CheckReader(bool leftovers);
  void ResponseDone(bool leftovers);
  bool StartRelocation(const std::string& value, bool kept);
  void Restart();
  void Complete();
  void Fail(const std::string& reason, int error);
  void EndHeader();
  void StartBandwidthControl();
  void BandwidthTick();
  void StopBandwidthControl();
  // Builds and writes a trace line only when someone reads it.
  template <class MakeText>
  void Trace(MakeText&& makeText, TLogOption option = TLogOption::loProtSpecInfo) {
    if (client_ && client_->TraceWanted(option)) client_->DebugLog(option, makeText());
  }
  void Touch() { lastActivity_ = GetTickCount64(); }
  ByteStream* Received() const { return settings_.ReceiveStream; }

  THttpClient* client_;
  HttpClientEvents* events_;
  std::unique_ptr<TNetSocket> socket_;
  std::unique_ptr<forms::UtilityWindow> window_;
  THttpState state_ = THttpState::httpReady;
  int requestType_ = 0;
  // Grows with every started request.
  std::uint64_t requestSerial_ = 0;
  int dispatching_ = 0;
  std::shared_ptr<HttpClientEngine> keepAlive_;
  bool headerActive_ = false;
  HttpClientSettings settings_;
  HttpMethod method_ = HttpMethod::Get;
  HttpTarget target_;
  HttpCredentials server_;
  HttpCredentials proxy_;
  std::string connection_;
  std::string proxyConnection_;
  HttpAuthenticator auth_;
  RelocationLimiter limiter_;
  HttpResponseReader reader_;
  THttpCodingHandler coding_;
  HttpClientResult result_;
  std::string lastHost_;
  std::string lastPort_;
  bool keep_ = false;
  // The request went out on a connection kept from an earlier one.
  bool reused_ = false;
  std::int64_t responseBytes_ = 0;
  bool socketError_ = false;
  bool sendingBody_ = false;
  std::int64_t sentCount_ = 0;
  std::int64_t streamStartSize_ = 0;
  ULONGLONG startTick_ = 0;
  ULONGLONG lastActivity_ = 0;
  std::vector<char> buffer_;
  // Bandwidth control: bytes allowed and received per sample.
  bool limiting_ = false;
  bool paused_ = false;
  std::int64_t allowance_ = 0;
  std::int64_t sampleBytes_ = 0;
};

}  // namespace sv::net
