#include "net/win32/HttpClient.h"

#include <windows.h>

#include <utility>

#include "forms/Application.h"
#include "net/win32/HttpClientEngine.h"

namespace sv::net {

namespace {

thread_local int blockingDepth = 0;

// At most this many messages between two looks at the request's state.
constexpr int kMessagesPerRound = 256;

}  // namespace

THttpClient::THttpClient(forms::TComponent* owner)
    : forms::TComponent(owner), engine_(std::make_shared<HttpClientEngine>(this, this)) {}

THttpClient::~THttpClient() {
  *alive_ = false;
  engine_->Orphan();
  HttpClientEngine::Release(std::move(engine_));
}

void THttpClient::Get() { DoRequestSync(THttpRequest::httpGET); }
void THttpClient::Post() { DoRequestSync(THttpRequest::httpPOST); }
void THttpClient::Put() { DoRequestSync(THttpRequest::httpPUT); }
void THttpClient::Head() { DoRequestSync(THttpRequest::httpHEAD); }
void THttpClient::Abort() { engine_->Abort(); }
void THttpClient::DoRequestAsync(THttpRequest kind) { engine_->Start(kind, *this, Name()); }

void THttpClient::DoRequestSync(THttpRequest kind) {
  // From here on only the local copy is used: a handler running inside the
  // pump may free this component.
  std::shared_ptr<HttpClientEngine> engine = engine_;
  engine->Start(kind, *this, Name());
  ++blockingDepth;
  // Handlers that run in this loop see it as nested (a close waits for it).
  forms::NestedPump pump;
  bool quit = false;
  WPARAM quitCode = 0;
  while (engine->Busy()) {
    const DWORD wait = engine->CheckTimeouts();
    if (!engine->Busy()) break;
    if (forms::Application && forms::Application->Terminated()) {
      engine->Abort();
      break;
    }
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    for (int i = 0; i < kMessagesPerRound && engine->Busy() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        engine->Abort();
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  --blockingDepth;
  // The quit belongs to the loop outside this call.
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
  const HttpClientResult& result = engine->Result();
  const int status = result.StatusCode;
  if (status > 399 && status != 401 && status != 407) throw EHttpException(result.ReasonPhrase, status);
  if (status == 0 && !result.BodyReceived) throw EHttpException("no response", 0);
}

int THttpClient::StatusCode() const { return engine_->Result().StatusCode; }
const std::string& THttpClient::ReasonPhrase() const { return engine_->Result().ReasonPhrase; }
const std::vector<std::string>& THttpClient::RcvdHeader() const { return engine_->Result().RcvdHeader; }
std::int64_t THttpClient::ContentLength() const { return engine_->Result().ContentLength; }
const std::string& THttpClient::ContentType() const { return engine_->Result().ContentType; }
const std::string& THttpClient::TransferEncoding() const { return engine_->Result().TransferEncoding; }
const std::string& THttpClient::ContentEncoding() const { return engine_->Result().ContentEncoding; }
const std::string& THttpClient::Location() const { return engine_->Result().Location; }
const std::string& THttpClient::DocName() const { return engine_->Result().DocName; }
const std::string& THttpClient::AcceptRanges() const { return engine_->Result().AcceptRanges; }
int THttpClient::RequestType() const { return engine_->RequestType(); }
int THttpClient::RequestDoneError() const { return engine_->Result().RequestDoneError; }
int THttpClient::LocationChangeCurCount() const { return engine_->LocationChangeCurCount(); }
THttpState THttpClient::State() const { return engine_->State(); }
int THttpClient::BlockingDepth() { return blockingDepth; }

void THttpClient::SetNetLogger(TNetLogger* logger) {
  if (logger == logger_) return;
  if (logger_) logger_->RemoveFreeNotification(this);
  logger_ = logger;
  if (logger_) logger_->FreeNotification(this);
}

bool THttpClient::CheckLogOptions(TLogOption option) const {
  return logger_ && logger_->LogOptions().Contains(option);
}

bool THttpClient::TraceWanted(TLogOption option) const { return OnTrace || CheckLogOptions(option); }

void THttpClient::DebugLog(TLogOption option, const std::string& text) {
  // Copies: a handler may free this component and its events with it.
  const std::shared_ptr<bool> alive = alive_;
  const auto handler = OnTrace;
  if (CheckLogOptions(option)) {
    try {
      logger_->DoDebugLog(this, option, text);
    } catch (const ELoggerException&) {
    }
    if (!*alive) return;
  }
  if (handler) handler(this, text);
}

void THttpClient::Notification(forms::TComponent* component, forms::ComponentOperation operation) {
  if (operation == forms::ComponentOperation::Remove && component == logger_) logger_ = nullptr;
  forms::TComponent::Notification(component, operation);
}

}  // namespace sv::net
