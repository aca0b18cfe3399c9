#include "net/win32/SocksNetSocket.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>
#include <cstring>

namespace sv::net {

namespace {

std::string Trimmed(const std::string& text) {
  std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  std::size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool IsTcp(const std::string& proto) {
  std::string lower = proto;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return lower == "tcp" || lower == "6";
}

}  // namespace

TCustomSocksNetSocket::~TCustomSocksNetSocket() {
  // The plain socket's release closes the connection: nothing of this
  // layer may be called from there.
  OnSocksConnected = nullptr;
  OnSocksError = nullptr;
  OnSocksAuthState = nullptr;
  phase_ = Phase::Data;
}

void TCustomSocksNetSocket::SetSocksServer(const std::string& value) {
  if (State() != TSocketState::wsClosed) return ReportError("Can't change socks server if not closed");
  socksServer_ = Trimmed(value);
}

void TCustomSocksNetSocket::SetSocksPort(const std::string& value) {
  if (State() != TSocketState::wsClosed) return ReportError("Can't change socks port if not closed");
  socksPort_ = Trimmed(value);
}

void TCustomSocksNetSocket::SetSocksLevel(const std::string& value) {
  if (State() != TSocketState::wsClosed) return ReportError("Can't change socks level if not closed");
  std::optional<sv::net::SocksLevel> level = ParseSocksLevel(value);
  if (!level) return ReportError("Invalid socks level. Must be 4, 4A or 5.");
  socksLevel_ = SocksLevelText(*level);
}

void TCustomSocksNetSocket::ResetDefaults() {
  TCustomNetSocket::ResetDefaults();
  phase_ = Phase::Data;
  negotiator_.reset();
  socksServer_.clear();
  socksPort_.clear();
  socksLevel_ = "5";
}

// ---- events ----

void TCustomSocksNetSocket::TriggerSocksConnected(std::uint16_t errCode) {
  if (auto handler = OnSocksConnected) handler(this, errCode);
}

void TCustomSocksNetSocket::TriggerSocksError(std::int32_t error, const std::string& msg) {
  if (auto handler = OnSocksError) handler(this, error, msg);
}

void TCustomSocksNetSocket::TriggerSocksAuthState(TSocksAuthState authState) {
  if (auto handler = OnSocksAuthState) handler(this, authState);
}

// ---- connecting ----

void TCustomSocksNetSocket::Connect() {
  // Without a server, and for the plain socket's own refusals, the plain
  // Connect answers.
  if (socksServer_.empty() || (Handle() != INVALID_SOCKET && State() != TSocketState::wsClosed) ||
      Port().empty() || Addr().empty())
    return TCustomNetSocket::Connect();
  if (!IsTcp(Proto())) return ReportError("tcp is the only protocol supported thru socks server");

  SocksRequest request;
  request.level = ParseSocksLevel(socksLevel_).value_or(sv::net::SocksLevel::V5);
  request.host = Addr();
  request.authenticate = SocksAuthentication == TSocksAuthentication::socksAuthenticateUsercode;
  request.usercode = SocksUsercode;
  request.password = SocksPassword;
  std::uint32_t serverAddress = 0;
  std::uint16_t serverPort = 0;
  try {
    request.port = NetSocketResolvePort(Port(), Proto());
    serverPort = NetSocketResolvePort(socksPort_, Proto());
    serverAddress = NetSocketResolveHost(socksServer_);
  } catch (const sv::Exception& e) {
    return ReportError("connect: " + e.Message());
  }
  // The one-byte length fields cannot carry longer names: refused here
  // rather than sent cut or wrong.
  if (std::string problem = SocksRequestProblem(request); !problem.empty()) return ReportError(problem);

  request_ = std::move(request);
  negotiator_.reset();
  boundAddress_.clear();
  boundPort_.clear();
  RedirectConnection(serverAddress, serverPort);
  phase_ = Phase::AwaitingServer;
  AliveToken alive = Token();
  try {
    TCustomNetSocket::Connect();
  } catch (...) {
    if (*alive) ConnectFailedAtOnce();
    throw;
  }
  if (*alive && State() != TSocketState::wsConnecting && State() != TSocketState::wsConnected)
    ConnectFailedAtOnce();
}

void TCustomSocksNetSocket::ConnectFailedAtOnce() {
  // A later Connect, maybe without the server, must not reach it.
  phase_ = Phase::Data;
  CancelRedirection();
}

void TCustomSocksNetSocket::Listen() {
  if (!socksServer_.empty()) return ReportError("Listening is not supported thru socks server");
  TCustomNetSocket::Listen();
}

void TCustomSocksNetSocket::TriggerSessionConnected(std::uint16_t errCode) {
  if (phase_ != Phase::AwaitingServer) return TCustomNetSocket::TriggerSessionConnected(errCode);
  AliveToken alive = Token();
  TriggerSocksConnected(errCode);
  if (!*alive || phase_ != Phase::AwaitingServer) return;
  if (errCode != 0) {
    phase_ = Phase::Data;
    return TCustomNetSocket::TriggerSessionConnected(errCode);
  }
  if (request_.level == sv::net::SocksLevel::V4) {
    // SOCKS 4 carries the target as an address only.
    try {
      std::uint32_t address = NetSocketResolveHost(Addr());
      std::memcpy(request_.address.data(), &address, request_.address.size());
    } catch (const sv::Exception& e) {
      TriggerSocksError(kSocksResolveError, "ESocketException " + e.Message());
      if (!*alive) return;
      phase_ = Phase::Data;
      InternalClose(true, kSocksResolveError);
      return;
    }
  }
  phase_ = Phase::Negotiating;
  negotiator_ = std::make_unique<SocksNegotiator>(request_);
  SocksNegotiator::Step step = negotiator_->Start();
  Act(step);
}

// ---- negotiating ----

bool TCustomSocksNetSocket::TriggerDataAvailable(std::uint16_t errCode) {
  if (phase_ != Phase::Negotiating) return TCustomNetSocket::TriggerDataAvailable(errCode);
  if (errCode != 0) {
    SocksFailed(errCode, "data receive error");
    return false;
  }
  Negotiate();
  return true;
}

void TCustomSocksNetSocket::Negotiate() {
  AliveToken alive = Token();
  std::array<std::uint8_t, SocksNegotiator::kMaxReply> buffer{};
  // Each round reads at least one byte or stops; a whole negotiation is
  // shorter than three longest replies.
  for (std::size_t round = 0; round < 3 * SocksNegotiator::kMaxReply; ++round) {
    if (!*alive || phase_ != Phase::Negotiating || !negotiator_ || Handle() == INVALID_SOCKET) return;
    std::size_t wanted = std::min(negotiator_->Wanted(), buffer.size());
    if (wanted == 0) return SocksFailed(kSocksInternalError, "internal error");
    int received = TCustomNetSocket::RecvRaw(reinterpret_cast<char*>(buffer.data()), static_cast<int>(wanted));
    // Nothing more now: the next FD_READ, or FD_CLOSE, brings the rest.
    if (received <= 0) return;
    std::size_t used = 0;
    while (used < static_cast<std::size_t>(received)) {
      SocksNegotiator::Step step = negotiator_->Feed(buffer.data() + used, static_cast<std::size_t>(received) - used);
      used += step.consumed;
      if (!Act(step) || !*alive || !negotiator_) return;
      if (step.consumed == 0) break;
    }
  }
}

bool TCustomSocksNetSocket::Act(const SocksNegotiator::Step& step) {
  AliveToken alive = Token();
  if (step.authState) {
    TriggerSocksAuthState(static_cast<TSocksAuthState>(*step.authState));
    if (!*alive || phase_ != Phase::Negotiating) return false;
  }
  switch (step.outcome) {
    case SocksNegotiator::Outcome::Wait:
      return true;
    case SocksNegotiator::Outcome::Send:
      SendNegotiation(step.send);
      return *alive && phase_ == Phase::Negotiating && Handle() != INVALID_SOCKET;
    case SocksNegotiator::Outcome::Granted:
      Granted();
      return false;
    case SocksNegotiator::Outcome::Failed:
      SocksFailed(step.error, step.message);
      return false;
  }
  return false;
}

void TCustomSocksNetSocket::SendNegotiation(const std::string& bytes) {
  // Queued and pushed without the completion message a user's Send gets:
  // the user has sent nothing yet.
  QueueSendData(bytes.data(), static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX)));
  TryToSend();
}

void TCustomSocksNetSocket::Granted() {
  AliveToken alive = Token();
  boundAddress_ = negotiator_->BoundAddress();
  boundPort_ = negotiator_->BoundPort();
  phase_ = Phase::Data;
  TCustomNetSocket::TriggerSessionConnected(0);
  if (!*alive || Handle() == INVALID_SOCKET) return;
  // The target's first bytes may have come with the reply.
  u_long waiting = 0;
  if (ws::ioctlsocket(Handle(), FIONREAD, &waiting) == 0 && waiting > 0) TriggerDataAvailable(0);
}

void TCustomSocksNetSocket::SocksFailed(int code, const std::string& text) {
  AliveToken alive = Token();
  TriggerSocksError(code, text);
  if (!*alive) return;
  phase_ = Phase::Data;
  if (State() == TSocketState::wsClosed) return;
  TCustomNetSocket::TriggerSessionConnected(static_cast<std::uint16_t>(code));
  if (!*alive || State() == TSocketState::wsClosed) return;
  InternalClose(true, static_cast<std::uint16_t>(code));
}

void TCustomSocksNetSocket::TriggerSessionClosed(std::uint16_t errCode) {
  AliveToken alive = Token();
  if (phase_ == Phase::Negotiating && negotiator_ &&
      negotiator_->CurrentStage() == SocksNegotiator::Stage::Authenticating) {
    TriggerSocksAuthState(TSocksAuthState::ClosedDuring);
    if (!*alive) return;
  }
  TCustomNetSocket::TriggerSessionClosed(errCode);
}

}  // namespace sv::net
