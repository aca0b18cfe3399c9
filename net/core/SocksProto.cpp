#include "net/core/SocksProto.h"

#include <algorithm>

namespace sv::net {
namespace {

constexpr uint8_t kVersion5 = 5;
constexpr uint8_t kVersion4 = 4;
constexpr uint8_t kAuthVersion = 1;
constexpr uint8_t kCommandConnect = 1;
constexpr uint8_t kMethodNone = 0;
constexpr uint8_t kMethodUsercode = 2;
constexpr uint8_t kAddressIPv4 = 1;
constexpr uint8_t kAddressName = 3;
constexpr uint8_t kGranted4 = 90;
constexpr size_t kMaxField = 255;
constexpr size_t kReply4 = 8;
constexpr size_t kReply5Head = 5;  // enough to know a SOCKS 5 reply's length

void AppendPort(std::string& out, uint16_t port) {
  out += char(port >> 8);
  out += char(port & 0xFF);
}

std::string Greeting(const SocksRequest& request) {
  return {char(kVersion5), char(1), char(request.authenticate ? kMethodUsercode : kMethodNone)};
}

std::string AuthenticationRequest(const SocksRequest& request) {
  std::string out(1, char(kAuthVersion));
  out += char(request.usercode.size());
  out += request.usercode;
  out += char(request.password.size());
  out += request.password;
  return out;
}

std::string ConnectRequest(const SocksRequest& request) {
  std::string out;
  if (request.level == SocksLevel::V5) {
    // The target always goes as a name, a dotted quad too.
    out = {char(kVersion5), char(kCommandConnect), char(0), char(kAddressName), char(request.host.size())};
    out += request.host;
    AppendPort(out, request.port);
    return out;
  }
  out = {char(kVersion4), char(kCommandConnect)};
  AppendPort(out, request.port);
  if (request.level == SocksLevel::V4) {
    out.append(request.address.begin(), request.address.end());
  } else {
    out += std::string("\0\0\0\1", 4);  // 0.0.0.1: the name follows
  }
  out += request.usercode;
  out += '\0';
  if (request.level == SocksLevel::V4A) {
    out += request.host;
    out += '\0';
  }
  return out;
}

const char* const kReply5Texts[] = {
    "general SOCKS server failure", "connection not allowed by ruleset", "network unreachable", "host unreachable",
    "connection refused",           "time to live expired",              "command not supported", "address type not supported",
};

}  // namespace

std::optional<SocksLevel> ParseSocksLevel(std::string_view text) {
  if (text == "4") return SocksLevel::V4;
  if (text == "4A" || text == "4a") return SocksLevel::V4A;
  if (text == "5") return SocksLevel::V5;
  return std::nullopt;
}

std::string SocksLevelText(SocksLevel level) {
  switch (level) {
    case SocksLevel::V4: return "4";
    case SocksLevel::V4A: return "4A";
    case SocksLevel::V5: break;
  }
  return "5";
}

std::string SocksRequestProblem(const SocksRequest& request) {
  const auto tooLong = [](const std::string& field) { return field.size() > kMaxField; };
  const auto hasZero = [](const std::string& field) { return field.find('\0') != std::string::npos; };
  switch (request.level) {
    case SocksLevel::V5:
      if (request.host.empty()) return "socks request without a host name";
      if (tooLong(request.host)) return "socks request too long";
      if (request.authenticate && (tooLong(request.usercode) || tooLong(request.password)))
        return "socks request too long";
      return {};
    case SocksLevel::V4A:
      if (request.host.empty()) return "socks request without a host name";
      if (tooLong(request.host) || tooLong(request.usercode)) return "socks request too long";
      if (hasZero(request.host) || hasZero(request.usercode)) return "socks request holds a zero byte";
      return {};
    case SocksLevel::V4:
      if (tooLong(request.usercode)) return "socks request too long";
      if (hasZero(request.usercode)) return "socks request holds a zero byte";
      return {};
  }
  return {};
}

SocksNegotiator::Step SocksNegotiator::Start() {
  Step step;
  have_ = 0;
  if (std::string problem = SocksRequestProblem(request_); !problem.empty())
    return Fail(std::move(step), kSocksInternalError, std::move(problem));
  if (request_.level != SocksLevel::V5) return SendConnectRequest(std::move(step));
  stage_ = Stage::Methods;
  step.outcome = Outcome::Send;
  step.send = Greeting(request_);
  return step;
}

size_t SocksNegotiator::ReplyLength() const {
  switch (stage_) {
    case Stage::Methods:
    case Stage::Authenticating: return 2;
    case Stage::Connecting:
      if (request_.level != SocksLevel::V5) return kReply4;
      if (have_ < kReply5Head) return kReply5Head;
      if (reply_[3] == kAddressIPv4) return 10;
      if (reply_[3] == kAddressName) return 7 + size_t(reply_[4]);
      return kReply5Head;
    case Stage::Data: break;
  }
  return 0;
}

size_t SocksNegotiator::Wanted() const { return ReplyLength() - std::min(have_, ReplyLength()); }

SocksNegotiator::Step SocksNegotiator::Feed(const uint8_t* data, size_t size) {
  Step step;
  if (stage_ == Stage::Data) return Fail(std::move(step), kSocksInternalError, "internal error");
  const size_t take = std::min(size, Wanted());
  std::copy_n(data, take, reply_.begin() + have_);
  have_ += take;
  step.consumed = take;
  switch (stage_) {
    case Stage::Methods: return ParseMethods(std::move(step));
    case Stage::Authenticating: return ParseAuthentication(std::move(step));
    case Stage::Connecting:
      return request_.level == SocksLevel::V5 ? ParseConnect5(std::move(step)) : ParseConnect4(std::move(step));
    case Stage::Data: break;
  }
  return step;
}

SocksNegotiator::Step SocksNegotiator::ParseMethods(Step step) {
  if (have_ < 2) return step;
  if (reply_[0] != kVersion5) return Fail(std::move(step), kSocksVersionError, "socks version error");
  if (reply_[1] == kMethodNone) {
    if (request_.authenticate) step.authState = kAuthNotRequired;
    return SendConnectRequest(std::move(step));
  }
  if (reply_[1] == kMethodUsercode && request_.authenticate) {
    stage_ = Stage::Authenticating;
    have_ = 0;
    step.authState = kAuthStart;
    step.outcome = Outcome::Send;
    step.send = AuthenticationRequest(request_);
    return step;
  }
  return Fail(std::move(step), kSocksMethodNotAcceptable, "authentification method not acceptable");
}

SocksNegotiator::Step SocksNegotiator::ParseAuthentication(Step step) {
  if (have_ >= 1 && reply_[0] != kAuthVersion) return Fail(std::move(step), kSocksVersionError, "socks version error");
  if (have_ < 2) return step;
  if (reply_[1] != 0) return Fail(std::move(step), kSocksAuthenticationFailed, "socks authentication failed");
  step.authState = kAuthOk;
  return SendConnectRequest(std::move(step));
}

SocksNegotiator::Step SocksNegotiator::ParseConnect4(Step step) {
  if (have_ < kReply4) return step;
  if (reply_[0] != 0) return Fail(std::move(step), kSocksVersionError, "socks version error");
  switch (reply_[1]) {
    case kGranted4:
      stage_ = Stage::Data;
      step.outcome = Outcome::Granted;
      return step;
    case 91: return Fail(std::move(step), kSocksRequestRejected, "request rejected or failed");
    case 92: return Fail(std::move(step), kSocksConnectionRefused, "connection refused");
    case 93: return Fail(std::move(step), kSocksAuthenticationFailed, "authentification failed");
  }
  return Fail(std::move(step), kSocksUnassignedError, "unassigned error #" + std::to_string(reply_[1]));
}

SocksNegotiator::Step SocksNegotiator::ParseConnect5(Step step) {
  if (have_ >= 1 && reply_[0] != kVersion5) return Fail(std::move(step), kSocksVersionError, "socks version error");
  if (have_ < 2) return step;
  const uint8_t code = reply_[1];
  if (code >= 1 && code <= 8) return Fail(std::move(step), kSocksGeneralFailure + code - 1, kReply5Texts[code - 1]);
  if (code != 0) return Fail(std::move(step), kSocksUnassignedError, "unassigned error #" + std::to_string(code));
  if (have_ < kReply5Head) return step;
  const uint8_t type = reply_[3];
  if (type != kAddressIPv4 && type != kAddressName)
    return Fail(std::move(step), kSocksAddressTypeNotSupported, "address type not supported");
  if (have_ < ReplyLength()) return step;

  size_t portAt;
  if (type == kAddressIPv4) {
    boundAddress_ = std::to_string(reply_[4]) + "." + std::to_string(reply_[5]) + "." + std::to_string(reply_[6]) +
                    "." + std::to_string(reply_[7]);
    portAt = 8;
  } else {
    boundAddress_.assign(reinterpret_cast<const char*>(reply_.data() + 5), reply_[4]);
    portAt = 5 + size_t(reply_[4]);
  }
  boundPort_ = std::to_string(reply_[portAt] << 8 | reply_[portAt + 1]);
  stage_ = Stage::Data;
  step.outcome = Outcome::Granted;
  return step;
}

SocksNegotiator::Step SocksNegotiator::SendConnectRequest(Step step) {
  stage_ = Stage::Connecting;
  have_ = 0;
  step.outcome = Outcome::Send;
  step.send = ConnectRequest(request_);
  return step;
}

SocksNegotiator::Step SocksNegotiator::Fail(Step step, int error, std::string message) {
  stage_ = Stage::Data;
  have_ = 0;
  step.outcome = Outcome::Failed;
  step.error = error;
  step.message = std::move(message);
  return step;
}

}  // namespace sv::net
