#include "net/win32/HttpClientEngine.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "net/core/HttpWire.h"
#include "net/win32/HttpClient.h"
#include "net/win32/WinsockApi.h"

namespace sv::net {

namespace {

constexpr UINT kMsgRequestDone = WM_USER + 1;
constexpr UINT kMsgLogin = WM_USER + 3;
// The close of an httpCLOSE request. Ours rather than the socket's delayed
// close: that one, still queued when the server closed first, would close
// the next request's connection.
constexpr UINT kMsgClose = WM_USER + 4;
// Drives the time-outs of a request nobody pumps for (DoRequestAsync).
constexpr UINT_PTR kTimeoutTimer = 1;
constexpr UINT kTimeoutTick = 100;
constexpr UINT_PTR kBandwidthTimer = 2;
// One read under bandwidth control: the control pauses between reads.
constexpr int kLimitedReadSize = 8190;
// Read size of one receive; the socket's receive loop calls again while
// bytes wait.
constexpr std::size_t kReceiveSize = 512 * 1024;
constexpr std::size_t kSendBlock = 8193;
constexpr int kReadsPerEvent = 16;

const char* MethodName(HttpMethod method) {
  switch (method) {
    case HttpMethod::Post: return "POST";
    case HttpMethod::Put: return "PUT";
    case HttpMethod::Head: return "HEAD";
    case HttpMethod::Get: break;
  }
  return "GET";
}

HttpMethod MethodOf(THttpRequest kind) {
  switch (kind) {
    case THttpRequest::httpPOST: return HttpMethod::Post;
    case THttpRequest::httpPUT: return HttpMethod::Put;
    case THttpRequest::httpHEAD: return HttpMethod::Head;
    case THttpRequest::httpGET:
    case THttpRequest::httpCLOSE: break;
  }
  return HttpMethod::Get;
}

THttpRequest KindOf(HttpMethod method) {
  switch (method) {
    case HttpMethod::Post: return THttpRequest::httpPOST;
    case HttpMethod::Put: return THttpRequest::httpPUT;
    case HttpMethod::Head: return THttpRequest::httpHEAD;
    case HttpMethod::Get: break;
  }
  return THttpRequest::httpGET;
}

// Calls an event through a copy, so that a handler that frees the component
// does not free the function it runs in.
template <class Event, class... Args>
void Fire(HttpClientEvents* events, Event HttpClientEvents::*member, THttpClient* sender, Args&&... args) {
  if (!events || !(events->*member)) return;
  Event handler = events->*member;
  handler(sender, std::forward<Args>(args)...);
}

const char* StateName(THttpState state) {
  static constexpr const char* kNames[] = {
      "httpReady",         "httpNotConnected", "httpConnected",           "httpDnsLookup",
      "httpDnsLookupDone", "httpWaitingHeader", "httpWaitingBody",        "httpBodyReceived",
      "httpWaitingProxyConnect", "httpClosing", "httpAborting",
  };
  const auto index = static_cast<std::size_t>(state);
  return index < std::size(kNames) ? kNames[index] : "INVALID STATE";
}

// The NTLM answer names this machine; a name the library cannot give is
// left empty rather than stalling the request.
std::string LocalHostNameOrEmpty() {
  try {
    return LocalHostName();
  } catch (const ESocketException&) {
    return {};
  }
}

std::string ErrorText(int error) { return NetSocketErrorDesc(error) + " (Error #" + std::to_string(error) + ")"; }

}  // namespace

HttpClientEngine::HttpClientEngine(THttpClient* client, HttpClientEvents* events)
    : client_(client),
      events_(events),
      coding_(
          [this](const char* data, std::size_t len) {
            if (ByteStream* stream = Received()) stream->Write(data, len);
          },
          [this](const char* data, std::size_t len) {
            Fire(events_, &HttpClientEvents::OnDocData, client_, data, len);
          }),
      buffer_(kReceiveSize) {
  window_ = std::make_unique<forms::UtilityWindow>(
      [this](UINT message, WPARAM wParam, LPARAM lParam) { return HandleMessage(message, wParam, lParam); },
      forms::UtilityWindow::Kind::MessageOnly);
  socket_ = std::make_unique<TNetSocket>(nullptr);
  // Assigning OnError makes the socket report instead of raising.
  socket_->OnError = [this](TCustomNetSocket* socket) {
    Scope scope(*this);
    socketError_ = true;
    Fire(events_, &HttpClientEvents::OnSocketError, client_, socket->LastError);
  };
  socket_->OnSocksConnected = [this](TCustomNetSocket*, std::uint16_t error) {
    Scope scope(*this);
    Fire(events_, &HttpClientEvents::OnSocksConnected, client_, error);
  };
  socket_->OnSocksAuthState = [this](TCustomNetSocket*, TSocksAuthState authState) {
    Scope scope(*this);
    Fire(events_, &HttpClientEvents::OnSocksAuthState, client_, authState);
  };
  socket_->OnSocksError = [this](TCustomNetSocket*, std::int32_t error, const std::string& msg) {
    Scope scope(*this);
    Fire(events_, &HttpClientEvents::OnSocksError, client_, error, msg);
  };
  socket_->OnDnsLookupDone = [this](TCustomNetSocket*, std::uint16_t error) {
    Scope scope(*this);
    SocketDnsLookupDone(error);
  };
  socket_->OnSessionConnected = [this](TCustomNetSocket*, std::uint16_t error) {
    Scope scope(*this);
    SocketSessionConnected(error);
  };
  socket_->OnDataAvailable = [this](TCustomNetSocket*, std::uint16_t) {
    Scope scope(*this);
    SocketDataAvailable();
  };
  socket_->OnDataSent = [this](TCustomNetSocket*, std::uint16_t) {
    Scope scope(*this);
    SocketDataSent();
  };
  socket_->OnSessionClosed = [this](TCustomNetSocket*, std::uint16_t error) {
    Scope scope(*this);
    SocketSessionClosed(error);
  };

  reader_.OnHeaderBegin = [this] {
    headerActive_ = true;
    Fire(events_, &HttpClientEvents::OnHeaderBegin, client_);
  };
  reader_.OnHeaderEnd = [this] { EndHeader(); };
  reader_.OnDataPush2 = [this](const std::string&) { Fire(events_, &HttpClientEvents::OnDataPush2, client_); };
  reader_.OnHeaderData = [this](const std::string& line) {
    Trace([&] { return "|" + line + ">|"; }, TLogOption::loProtSpecDump);
    Fire(events_, &HttpClientEvents::OnHeaderData, client_, line);
  };
  reader_.OnCookie = [this](const std::string& value, bool& accept) {
    Fire(events_, &HttpClientEvents::OnCookie, client_, value, accept);
  };
  reader_.OnDocBegin = [this] {
    result_.DocName = HtmlDocName(result_.DocName, reader_.Head().contentType);
    Trace([] { return std::string("DocBegin"); });
    Fire(events_, &HttpClientEvents::OnDocBegin, client_);
    // An unknown coding leaves the body as received.
    coding_.Prepare(reader_.Head().contentEncoding);
  };
  reader_.OnDocData = [this](const char* data, std::size_t len) {
    result_.BodyReceived = true;
    coding_.Write(data, len);
  };
  reader_.OnTrace = [this](const std::string& text) { Trace([&] { return text; }); };
  auth_.OnTrace = [this](TLogOption option, const std::string& text) { Trace([&] { return text; }, option); };
  reader_.OnDocEnd = [this] {
    coding_.Complete();
    Trace([] { return std::string("DocEnd"); });
    Fire(events_, &HttpClientEvents::OnDocEnd, client_);
  };
}

HttpClientEngine::~HttpClientEngine() {
  events_ = nullptr;
  client_ = nullptr;
  socket_.reset();
}

HttpClientEngine::Scope::~Scope() {
  if (--engine_.dispatching_ == 0 && engine_.keepAlive_) {
    // The last reference: the engine goes when this block ends.
    std::shared_ptr<HttpClientEngine> last = std::move(engine_.keepAlive_);
  }
}

void HttpClientEngine::Release(std::shared_ptr<HttpClientEngine> engine) {
  if (engine && engine->dispatching_ > 0) engine->keepAlive_ = std::move(engine);
}

LRESULT HttpClientEngine::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  Scope scope(*this);
  switch (message) {
    case kMsgLogin:
      Login();
      return 0;
    case kMsgClose:
      if (state_ != THttpState::httpClosing) return 0;
      if (socket_->State() != TSocketState::wsClosed) socket_->Close();
      if (state_ == THttpState::httpClosing) Complete();
      return 0;
    case kMsgRequestDone:
      Trace([] { return std::string("RequestDone"); });
      Fire(events_, &HttpClientEvents::OnRequestDone, client_, static_cast<THttpRequest>(wParam),
           static_cast<std::uint16_t>(lParam));
      return 0;
    case WM_TIMER:
      if (wParam == kTimeoutTimer) CheckTimeouts();
      if (wParam == kBandwidthTimer) BandwidthTick();
      return 0;
    default:
      return window_->DefaultHandle(message, wParam, lParam);
  }
}

void HttpClientEngine::SetState(THttpState state) {
  if (state == state_) return;
  state_ = state;
  Trace([&] { return std::string("State = ") + StateName(state); });
  if (state == THttpState::httpReady) {
    KillTimer(window_->Handle(), kTimeoutTimer);
    StopBandwidthControl();
    // Posted: the handler runs after the call that ended the request.
    PostMessageW(window_->Handle(), kMsgRequestDone, static_cast<WPARAM>(requestType_),
                 static_cast<LPARAM>(static_cast<std::uint16_t>(result_.RequestDoneError)));
  }
  Fire(events_, &HttpClientEvents::OnStateChange, client_);
}

void HttpClientEngine::StartClose() {
  requestType_ = static_cast<int>(THttpRequest::httpCLOSE);
  result_.StatusCode = 200;
  result_.ReasonPhrase = "OK";
  result_.RequestDoneError = 0;
  reader_.Abandon();
  headerActive_ = false;
  sendingBody_ = false;
  keep_ = false;
  SetState(THttpState::httpClosing);
  if (state_ != THttpState::httpClosing) return;
  if (socket_->State() == TSocketState::wsClosed) {
    // A lookup under way is cancelled; its completion is ignored.
    if (socket_->DnsTask()) socket_->Abort();
    SetState(THttpState::httpReady);
  } else {
    PostMessageW(window_->Handle(), kMsgClose, 0, 0);
  }
}

void HttpClientEngine::Start(THttpRequest kind, const HttpClientSettings& settings, const std::string& name) {
  Scope scope(*this);
  if (kind == THttpRequest::httpCLOSE) return StartClose();
  if (Busy()) throw EHttpException("HTTP component " + name + " is busy", 1);
  if ((kind == THttpRequest::httpPOST || kind == THttpRequest::httpPUT) && !settings.SendStream)
    throw EHttpException("HTTP component has nothing to post or put", 2);
  if (settings.RequestVer != "1.0" && settings.RequestVer != "1.1")
    throw EHttpException("Insupported HTTP version", 5);

  ++requestSerial_;
  settings_ = settings;
  socket_->SetNetLogger(client_ ? client_->NetLogger() : nullptr);
  requestType_ = static_cast<int>(kind);
  method_ = MethodOf(kind);
  result_ = HttpClientResult{};
  result_.Location = settings_.URL;
  auth_.Reset();
  limiter_.Reset();
  limiter_.LocationChangeMaxCount = settings_.LocationChangeMaxCount;
  limiter_.OnLocationChangeExceeded = [this](int count) {
    bool allow = false;
    Fire(events_, &HttpClientEvents::OnLocationChangeExceeded, client_, count, allow);
    return allow;
  };
  server_ = {settings_.Username, settings_.Password};
  proxy_ = {settings_.ProxyUsername, settings_.ProxyPassword};
  connection_ = settings_.Connection;
  proxyConnection_ = settings_.ProxyConnection;
  socket_->MultiThreaded = settings_.MultiThreaded;
  coding_.SetEnabled(settings_.Options.Contains(THttpClientOption::httpoEnableContentCoding));
  coding_.SetUseQuality(settings_.Options.Contains(THttpClientOption::httpoUseQuality));
  startTick_ = GetTickCount64();
  Touch();
  if (settings_.IdleTimeout != 0 || settings_.TotalTimeout != 0)
    SetTimer(window_->Handle(), kTimeoutTimer, kTimeoutTick, nullptr);

  SetState(THttpState::httpNotConnected);
  auto plan = PlanRequest(settings_.URL, settings_.Proxy, settings_.ProxyPort);
  // The proxy's port is stored as the user typed it and checked only here.
  if (!plan) return Fail(PlanRequest(settings_.URL) ? "invalid proxy address or port" : "invalid URL", 0);
  target_ = std::move(*plan);
  if (!target_.user.empty()) server_.user = target_.user;
  if (!target_.password.empty()) server_.password = target_.password;
  result_.DocName = target_.docName;
  Login();
}

void HttpClientEngine::PostLogin() {
  SetState(THttpState::httpNotConnected);
  PostMessageW(window_->Handle(), kMsgLogin, 0, 0);
}

void HttpClientEngine::Login() {
  if (state_ != THttpState::httpNotConnected) return;
  if (target_.protocol != "http") {
    Fail("Protocol \"" + target_.protocol + "\" not implemented", 0);
    result_.StatusCode = 501;
    return;
  }
  if (socket_->State() == TSocketState::wsConnected && keep_ && lastHost_ == target_.hostName &&
      lastPort_ == target_.connectPort) {
    SetState(THttpState::httpConnected);
    reused_ = true;
    return SendRequest();
  }
  keep_ = false;
  reused_ = false;
  Trace([&] { return "Login " + target_.hostName; });
  if (socket_->State() != TSocketState::wsClosed) socket_->Abort();
  SetState(THttpState::httpDnsLookup);
  socketError_ = false;
  socket_->SetLocalAddr(settings_.LocalAddr);
  socket_->DnsLookup(target_.hostName);
  // A lookup that could not start leaves no completion to wait for.
  if (state_ == THttpState::httpDnsLookup && socketError_ && !socket_->DnsTask())
    Fail("can't resolve hostname to IP address", 0);
}

void HttpClientEngine::SocketDnsLookupDone(std::uint16_t error) {
  if (state_ != THttpState::httpDnsLookup) return;
  Touch();
  if (error != 0) {
    Fail("can't resolve hostname to IP address", error);
    return;
  }
  SetState(THttpState::httpDnsLookupDone);
  socket_->SetAddr(socket_->DnsResult());
  socket_->SetPort(target_.connectPort);
  socket_->SetProto("tcp");
  socket_->SetLocalAddr(settings_.LocalAddr);
  // A direct connection leaves the socket's SOCKS settings as every close
  // resets them.
  if (!settings_.SocksServer.empty()) {
    socket_->SetSocksServer(settings_.SocksServer);
    socket_->SetSocksPort(settings_.SocksPort);
    socket_->SetSocksLevel(settings_.SocksLevel);
    socket_->SocksUsercode = settings_.SocksUsercode;
    socket_->SocksPassword = settings_.SocksPassword;
    socket_->SocksAuthentication = settings_.SocksAuthentication;
  }
  lastHost_ = target_.hostName;
  lastPort_ = target_.connectPort;
  socketError_ = false;
  Trace([&] { return "connect to " + socket_->DnsResult() + "/" + target_.connectPort; });
  socket_->Connect();
  if (state_ != THttpState::httpDnsLookupDone) return;
  const TSocketState socketState = socket_->State();
  if (socketState != TSocketState::wsConnecting && socketState != TSocketState::wsConnected) {
    const int lastError = socket_->LastError;
    Fail("can't connect: " + ErrorText(lastError), lastError);
  }
}

void HttpClientEngine::SocketSessionConnected(std::uint16_t error) {
  if (state_ != THttpState::httpDnsLookupDone) return;
  Touch();
  Trace([] { return std::string("SessionConnected"); });
  if (error != 0) {
    Fire(events_, &HttpClientEvents::OnSessionConnected, client_);
    if (state_ == THttpState::httpDnsLookupDone) Fail(ErrorText(error), error);
    return;
  }
  SetState(THttpState::httpConnected);
  Fire(events_, &HttpClientEvents::OnSessionConnected, client_);
  if (state_ != THttpState::httpConnected) return;
  SendRequest();
}

void HttpClientEngine::SendRequest() {
  const bool hasBody = method_ == HttpMethod::Post || method_ == HttpMethod::Put;
  ByteStream* body = hasBody ? settings_.SendStream : nullptr;
  HttpRequestFields fields;
  fields.method = MethodName(method_);
  fields.path = target_.path;
  fields.version = settings_.RequestVer;
  fields.from = settings_.Sender;
  fields.accept = settings_.Accept;
  fields.referer = settings_.Reference;
  fields.connection = connection_;
  fields.acceptLanguage = settings_.AcceptLanguage;
  if (method_ != HttpMethod::Head) fields.acceptEncoding = coding_.HeaderText();
  fields.contentType = settings_.ContentTypePost;
  fields.userAgent = settings_.Agent;
  fields.targetHost = target_.targetHost;
  fields.targetPort = target_.targetPort;
  fields.noCache = settings_.NoCache;
  fields.proxyConnection = proxyConnection_;
  const bool negotiating = auth_.Negotiating();
  fields.contentLength = body && !negotiating ? std::max<std::int64_t>(0, body->Size() - body->Position()) : 0;
  fields.authorization = auth_.Authorization(server_);
  fields.proxyAuthorization = auth_.ProxyAuthorization(proxy_);
  fields.cookie = settings_.Cookie;
  if (settings_.ModifiedSince) fields.ifModifiedSince = HttpDate(*settings_.ModifiedSince);
  // A range asks for one request only: a relocation or the next call asks
  // for the whole document again.
  fields.rangeBegin = std::exchange(settings_.ContentRangeBegin, {});
  fields.rangeEnd = std::exchange(settings_.ContentRangeEnd, {});
  if (client_) {
    client_->ContentRangeBegin.clear();
    client_->ContentRangeEnd.clear();
  }
  result_.AcceptRanges.clear();

  StartBandwidthControl();
  Fire(events_, &HttpClientEvents::OnRequestHeaderBegin, client_);
  std::vector<std::string> lines = BuildRequestLines(fields);
  Fire(events_, &HttpClientEvents::OnBeforeHeaderSend, client_, fields.method, lines);
  for (std::string& line : lines) Fire(events_, &HttpClientEvents::OnCommand, client_, line);
  Fire(events_, &HttpClientEvents::OnRequestHeaderEnd, client_);
  std::string blank;
  Fire(events_, &HttpClientEvents::OnCommand, client_, blank);
  if (!blank.empty()) lines.push_back(std::move(blank));
  // A handler may have ended or restarted the request. A line it emptied is
  // left out: it would end the header early.
  if (state_ != THttpState::httpConnected) return;
  std::erase_if(lines, [](const std::string& line) { return line.empty(); });
  auto header = JoinRequestHeader(lines);
  if (!header) return Fail("invalid URL", 0);
  Trace([&] {
    std::string text = std::to_string(lines.size()) + " header lines to send\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
  });

  HttpResponseLimits limits;
  limits.maxBodySize = settings_.MaxBodySize;
  reader_.Start(method_, settings_.RequestVer, limits);
  streamStartSize_ = Received() ? Received()->Size() : 0;
  sentCount_ = 0;
  responseBytes_ = 0;
  keep_ = false;
  SetState(THttpState::httpWaitingHeader);
  sendingBody_ = body && !negotiating;
  if (sendingBody_) {
    Fire(events_, &HttpClientEvents::OnSendBegin, client_);
    if (state_ != THttpState::httpWaitingHeader) return;
  }
  socket_->QueueSendData(header->data(), static_cast<int>(header->size()));
  // An empty send starts the queue; the socket then reports it sent, which
  // brings the first block of the body.
  socket_->Send(nullptr, 0);
  Trace([] { return std::string("SendRequest Done"); });
}

void HttpClientEngine::SocketDataSent() {
  if (!sendingBody_ || state_ != THttpState::httpWaitingHeader || !settings_.SendStream) return;
  Touch();
  char block[kSendBlock];
  const std::size_t count = settings_.SendStream->Read(block, sizeof block);
  if (count == 0) {
    sendingBody_ = false;
    Fire(events_, &HttpClientEvents::OnSendEnd, client_);
    return;
  }
  sentCount_ += static_cast<std::int64_t>(count);
  Fire(events_, &HttpClientEvents::OnSendData, client_, static_cast<const char*>(block), count);
  if (!sendingBody_ || state_ != THttpState::httpWaitingHeader) return;
  socket_->Send(block, static_cast<int>(count));
}

void HttpClientEngine::SocketDataAvailable() {
  // Reads what is there now, a bounded number of times; the socket reports
  // again for what comes later.
  const int rounds = limiting_ ? 1 : kReadsPerEvent;
  // Under control a read takes no more than the sample still allows; a
  // paused socket reports only to drain before its close.
  int size = static_cast<int>(buffer_.size());
  if (limiting_)
    size = paused_ ? kLimitedReadSize
                   : static_cast<int>(std::clamp<std::int64_t>(allowance_ - sampleBytes_, 1, kLimitedReadSize));
  for (int round = 0; round < rounds; ++round) {
    const int received = socket_->Receive(buffer_.data(), size);
    if (received <= 0) {
      Trace([&] { return "**data available. Len=" + std::to_string(received); });
      return;
    }
    Touch();
    Trace([&] { return "Data available. Len=" + std::to_string(received); });
    responseBytes_ += received;
    if (limiting_) {
      sampleBytes_ += received;
      if (!paused_ && sampleBytes_ >= allowance_) {
        paused_ = true;
        socket_->Pause();
      }
    }
    if (state_ != THttpState::httpWaitingHeader && state_ != THttpState::httpWaitingBody) {
      // Bytes nobody asked for: the connection cannot carry another request.
      keep_ = false;
      Fire(events_, &HttpClientEvents::OnDataPush, client_, std::uint16_t{0});
      return;
    }
    const std::string_view bytes(buffer_.data(), static_cast<std::size_t>(received));
    const std::size_t used = reader_.Feed(bytes);
    CheckReader(used < bytes.size());
    if (received < size) return;
  }
}

void HttpClientEngine::CheckReader(bool leftovers) {
  switch (reader_.GetState()) {
    case HttpResponseReader::State::Done:
      ResponseDone(leftovers || reader_.HasLeftovers());
      break;
    case HttpResponseReader::State::Failed:
      Fail(reader_.FailureReason(), 0);
      break;
    case HttpResponseReader::State::WaitingBody:
      SetState(THttpState::httpWaitingBody);
      break;
    default:
      break;
  }
}

void HttpClientEngine::SocketSessionClosed(std::uint16_t error) {
  keep_ = false;
  Trace([&] { return "SessionClosed Error: " + std::to_string(error); });
  Fire(events_, &HttpClientEvents::OnSessionClosed, client_);
  if (state_ == THttpState::httpClosing) return Complete();
  // A kept connection the server closed while idle: the request never
  // reached it, so it goes again on a new connection. Not a POST or PUT,
  // which the server may have acted on before closing.
  const bool repeatable = method_ == HttpMethod::Get || method_ == HttpMethod::Head;
  if (state_ == THttpState::httpWaitingHeader && reused_ && repeatable && responseBytes_ == 0 &&
      limiter_.CountRestart()) {
    reused_ = false;
    return Restart();
  }
  switch (state_) {
    case THttpState::httpWaitingHeader:
    case THttpState::httpWaitingBody:
      result_.RequestDoneError = error;
      reader_.ConnectionClosed(error);
      CheckReader(false);
      if (state_ == THttpState::httpWaitingHeader || state_ == THttpState::httpWaitingBody)
        Fail("connection closed before end of document", error);
      break;
    case THttpState::httpConnected:
    case THttpState::httpDnsLookupDone:
      Fail(error != 0 ? ErrorText(error) : "connection closed before end of header", error);
      break;
    default:
      break;
  }
}

void HttpClientEngine::ResponseDone(bool leftovers) {
  const HttpResponseHead& head = reader_.Head();
  result_.StatusCode = head.statusCode;
  result_.ReasonPhrase = head.reasonPhrase;
  result_.RcvdHeader = head.rcvdHeader;
  result_.ContentLength = head.contentLength;
  result_.ContentType = head.contentType;
  result_.TransferEncoding = head.transferEncoding;
  result_.ContentEncoding = head.contentEncoding;
  result_.AcceptRanges = head.acceptRanges;
  StopBandwidthControl();
  if (client_ && (!head.contentRangeBegin.empty() || !head.contentRangeEnd.empty())) {
    client_->ContentRangeBegin = head.contentRangeBegin;
    client_->ContentRangeEnd = head.contentRangeEnd;
  }
  // A body still going out would be read by the server as the start of the
  // next request: such a connection is never kept.
  const bool bodyUnsent = sendingBody_;
  sendingBody_ = false;
  SetState(THttpState::httpBodyReceived);
  keep_ = !head.closeReq && !leftovers && !bodyUnsent && socket_->State() == TSocketState::wsConnected;
  if (!keep_ && socket_->State() != TSocketState::wsClosed) socket_->Close();
  if (state_ != THttpState::httpBodyReceived) return;

  HttpAuthResponse response;
  response.statusCode = head.statusCode;
  response.challenges = head.authChallenges;
  response.closeAfter = !keep_;
  response.http10 = settings_.RequestVer == "1.0" || head.responseVer != "1.1";
  HttpAuthOptions options{settings_.Options.Contains(THttpClientOption::httpoNoBasicAuth),
                          settings_.Options.Contains(THttpClientOption::httpoNoNTLMAuth)};
  auth_.Update(head.statusCode);
  // Only a proxy asks for the proxy credentials: a server's 407 is not
  // answered.
  const bool asked = head.statusCode == 401 || (head.statusCode == 407 && target_.viaProxy);
  const bool answer = asked && auth_.Answer(response, server_, proxy_, options, LocalHostNameOrEmpty, connection_,
                                            proxyConnection_);
  if (answer) {
    if (limiter_.CountRestart()) return Restart();
  } else if (head.location) {
    if (method_ == HttpMethod::Put) result_.Location = *head.location;
    else if (ShouldFollowLocation(head.statusCode, method_, settings_.FollowRelocation) &&
             StartRelocation(*head.location, keep_))
      return;
  }
  Complete();
}

bool HttpClientEngine::StartRelocation(const std::string& value, bool kept) {
  auto relocation = ResolveLocation(target_, value);
  if (!relocation) return false;
  Trace([] { return std::string("Starting relocation process"); });
  // A relocation that needs a new connection counts twice.
  if (!limiter_.CountRelocation()) return false;
  if (!(relocation->sameConnection && kept) && !limiter_.CountRelocation()) return false;
  result_.Location = relocation->location;
  if (relocation->credentialsCleared) {
    server_ = {relocation->target.user, relocation->target.password};
    auth_.ResetServer();
  } else if (!relocation->target.user.empty() && !relocation->target.password.empty()) {
    server_ = {relocation->target.user, relocation->target.password};
  }
  target_ = std::move(relocation->target);
  result_.DocName = target_.docName;
  if (method_ == HttpMethod::Post) method_ = HttpMethod::Get;
  requestType_ = static_cast<int>(KindOf(method_));
  Fire(events_, &HttpClientEvents::OnLocationChange, client_);
  if (state_ != THttpState::httpBodyReceived) return true;
  Restart();
  return true;
}

void HttpClientEngine::Restart() {
  if (ByteStream* stream = Received()) {
    stream->Truncate(streamStartSize_);
    stream->Seek(streamStartSize_);
  }
  if (ByteStream* stream = settings_.SendStream) stream->Seek(stream->Position() - sentCount_);
  sentCount_ = 0;
  result_.BodyReceived = false;
  PostLogin();
}

void HttpClientEngine::Complete() { SetState(THttpState::httpReady); }

void HttpClientEngine::Fail(const std::string& reason, int error) {
  result_.StatusCode = 404;
  result_.ReasonPhrase = reason;
  if (error != 0) result_.RequestDoneError = error;
  sendingBody_ = false;
  keep_ = false;
  if (headerActive_) EndHeader();
  // Ready first: the close below may report back into this engine. A
  // request started by a handler of that change owns the socket from then.
  const std::uint64_t request = requestSerial_;
  SetState(THttpState::httpReady);
  if (requestSerial_ != request) return;
  reader_.Abandon();
  if (socket_->State() != TSocketState::wsClosed || socket_->DnsTask()) socket_->Abort();
}

void HttpClientEngine::StartBandwidthControl() {
  StopBandwidthControl();
  const bool wanted = settings_.Options.Contains(THttpClientOption::httpoBandwidthControl) &&
                      settings_.BandwidthLimit > 0;
  if (!wanted) {
    socket_->ComponentOptions.Exclude(TNetSocketOption::wsoNoReceiveLoop);
    return;
  }
  const int sampling = std::max(1, settings_.BandwidthSampling);
  allowance_ = std::max<std::int64_t>(1, static_cast<std::int64_t>(settings_.BandwidthLimit) * sampling / 1000);
  sampleBytes_ = 0;
  limiting_ = true;
  socket_->ComponentOptions.Include(TNetSocketOption::wsoNoReceiveLoop);
  SetTimer(window_->Handle(), kBandwidthTimer, static_cast<UINT>(sampling), nullptr);
}

void HttpClientEngine::BandwidthTick() {
  if (!limiting_) return;
  sampleBytes_ = std::max<std::int64_t>(0, sampleBytes_ - allowance_);
  if (paused_ && sampleBytes_ < allowance_) {
    // Waiting on our own limit is not the server being silent.
    Touch();
    paused_ = false;
    socket_->Resume();
  }
}

void HttpClientEngine::StopBandwidthControl() {
  if (!limiting_) return;
  limiting_ = false;
  KillTimer(window_->Handle(), kBandwidthTimer);
  if (paused_) {
    paused_ = false;
    socket_->Resume();
  }
}

void HttpClientEngine::EndHeader() {
  headerActive_ = false;
  Trace([&] { return std::string("FCloseReq=") + (reader_.Head().closeReq ? "1" : "0"); },
        TLogOption::loProtSpecDump);
  Trace([] { return std::string("End of header"); });
  Fire(events_, &HttpClientEvents::OnHeaderEnd, client_);
}

void HttpClientEngine::Abort() {
  Scope scope(*this);
  if (Busy()) return Fail("Connection aborted on request", 3);
  if (socket_->State() != TSocketState::wsClosed) socket_->Abort();
  result_.StatusCode = 200;
  result_.ReasonPhrase = "OK";
  result_.RequestDoneError = 0;
  Fire(events_, &HttpClientEvents::OnStateChange, client_);
  Fire(events_, &HttpClientEvents::OnRequestDone, client_, static_cast<THttpRequest>(requestType_), std::uint16_t{0});
}

void HttpClientEngine::Orphan() {
  events_ = nullptr;
  client_ = nullptr;
  socket_->SetNetLogger(nullptr);
  settings_.ReceiveStream = nullptr;
  settings_.SendStream = nullptr;
  Abort();
}

DWORD HttpClientEngine::CheckTimeouts() {
  if (!Busy()) return 0;
  const ULONGLONG now = GetTickCount64();
  ULONGLONG wait = INFINITE;
  auto consider = [&](unsigned limit, ULONGLONG since) {
    if (limit == 0) return true;
    const ULONGLONG end = since + limit;
    if (now >= end) return false;
    wait = std::min<ULONGLONG>(wait, end - now);
    return true;
  };
  if (!consider(settings_.IdleTimeout, lastActivity_) || !consider(settings_.TotalTimeout, startTick_)) {
    Fail("Connection timed out (Error #10060)", 10060);
    return 0;
  }
  return static_cast<DWORD>(wait);
}

}  // namespace sv::net
