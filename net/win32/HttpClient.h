#pragma once
// THttpClient: the HTTP/1.0 and 1.1 client component. Get and Post block
// while serving the thread's messages, so the program stays responsive and
// may be re-entered during a call; a time-out, a WM_QUIT or the application's
// end stops the call. Freeing the component (or its owner) from a handler
// that runs inside its own call is safe: the call ends, unwinds, and the
// engine goes with it.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "net/win32/HttpClientTypes.h"
#include "net/win32/NetLogger.h"

namespace sv::net {

class HttpClientEngine;

class THttpClient : public forms::TComponent, public HttpClientSettings, public HttpClientEvents {
 public:
  explicit THttpClient(forms::TComponent* owner);
  ~THttpClient() override;

  // Blocking calls. They raise EHttpException when the request fails, when
  // the status is above 399 other than 401 and 407, and when a call ends
  // with status 0 and no body.
  void Get();
  void Post();
  void Put();
  void Head();
  void DoRequestSync(THttpRequest kind);
  // Starts a request and returns at once; OnRequestDone tells its end. The
  // time-outs apply as in the blocking calls. httpCLOSE closes a kept
  // connection (even while a request runs) and ends with 200.
  void DoRequestAsync(THttpRequest kind);
  // Ends the running request; when idle, closes the connection and reports
  // a done request with 200 at once.
  void Abort();

  int StatusCode() const;
  const std::string& ReasonPhrase() const;
  const std::vector<std::string>& RcvdHeader() const;
  std::int64_t ContentLength() const;
  const std::string& ContentType() const;
  const std::string& TransferEncoding() const;
  const std::string& ContentEncoding() const;
  const std::string& Location() const;
  const std::string& DocName() const;
  const std::string& AcceptRanges() const;
  // 0 until the first request.
  int RequestType() const;
  int RequestDoneError() const;
  int LocationChangeCurCount() const;
  THttpState State() const;
  // Blocking calls running on this thread, nested ones included.
  static int BlockingDepth();

  // Trace lines go to this logger (and the socket's to it too); none by
  // default. Freeing the logger detaches it.
  TNetLogger* NetLogger() const { return logger_; }
  void SetNetLogger(TNetLogger* logger);
  bool CheckLogOptions(TLogOption option) const;
  // True when a line traced under this option goes anywhere (logger or
  // OnTrace), so that nobody builds lines no one reads.
  bool TraceWanted(TLogOption option) const;
  // Logger failures are swallowed: tracing never ends a request. A logger
  // event handler or OnTrace may free the component.
  void DebugLog(TLogOption option, const std::string& text);

 protected:
  void Notification(forms::TComponent* component, forms::ComponentOperation operation) override;

 private:
  TNetLogger* logger_ = nullptr;
  std::shared_ptr<HttpClientEngine> engine_;
  // False once the component is freed, also from inside a trace handler.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace sv::net
