#pragma once
// The client side of a SOCKS 4, 4A or 5 negotiation (SOCKS 5 optionally with
// user code and password), without the socket: it builds the requests and
// parses the server's replies stage by stage. The socket glue sends what a
// step returns and reads no more than Wanted() bytes per stage, so that data
// from the target that follows the final reply stays for the user.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace sv::net {

enum class SocksLevel { V4, V4A, V5 };

// "4", "4A" (or "4a") and "5"; anything else is not a level.
std::optional<SocksLevel> ParseSocksLevel(std::string_view text);
std::string SocksLevelText(SocksLevel level);

// Negotiation failures, as the socket reports them to its user.
enum SocksError : int {
  kSocksVersionError = 20002,
  kSocksMethodNotAcceptable = 20003,
  kSocksGeneralFailure = 20004,  // SOCKS 5 reply codes 1-8 map to 20004-20011
  kSocksConnectionRefused = 20008,
  kSocksAddressTypeNotSupported = 20011,
  kSocksUnassignedError = 20012,
  kSocksInternalError = 20013,
  kSocksAuthenticationFailed = 20015,
  kSocksRequestRejected = 20016,
  kSocksResolveError = 20017,  // the socket's: a level 4 target without an address
};

struct SocksRequest {
  SocksLevel level = SocksLevel::V5;
  std::string host;                    // the target's name (levels 5 and 4A)
  std::array<uint8_t, 4> address{};    // the target's resolved address (level 4)
  uint16_t port = 0;                   // the target's port
  bool authenticate = false;           // level 5: offer user code and password
  std::string usercode;
  std::string password;
};

// Why the request cannot go out (its one-byte lengths would not hold a field,
// or a zero-terminated field holds a zero byte); empty when it can.
std::string SocksRequestProblem(const SocksRequest& request);

class SocksNegotiator {
 public:
  enum class Stage { Data, Methods, Authenticating, Connecting };
  enum class Outcome {
    Wait,     // the reply is not complete yet
    Send,     // the stage changed: write `send` to the server
    Granted,  // the target is connected; the bytes after `consumed` are its data
    Failed,   // `error` and `message` say why; the connection is to be closed
  };
  // Authentication states as the socket's user sees them.
  enum AuthState : int { kAuthStart = 0, kAuthOk = 1, kAuthClosed = 2, kAuthNotRequired = 3 };

  struct Step {
    size_t consumed = 0;
    Outcome outcome = Outcome::Wait;
    std::string send;
    std::optional<int> authState;  // reported before `send` goes out
    int error = 0;
    std::string message;
  };

  explicit SocksNegotiator(SocksRequest request) : request_(std::move(request)) {}

  // The connection to the server stands: the greeting (5) or the connect
  // request (4, 4A).
  Step Start();
  // Reply bytes; at most Wanted() of them are used. Wait with bytes left
  // over means the reply's length became known: feed the rest again.
  Step Feed(const uint8_t* data, size_t size);
  // Bytes the current reply lacks, as far as its length is known yet (a
  // SOCKS 5 connect reply tells its length in its first five bytes).
  size_t Wanted() const;

  Stage CurrentStage() const { return stage_; }
  // What a SOCKS 5 server reports as bound: dotted address or name, and port.
  const std::string& BoundAddress() const { return boundAddress_; }
  const std::string& BoundPort() const { return boundPort_; }

  // The longest legal reply: SOCKS 5 with a 255-byte name.
  static constexpr size_t kMaxReply = 7 + 255;

 private:
  Step ParseMethods(Step step);
  Step ParseAuthentication(Step step);
  Step ParseConnect4(Step step);
  Step ParseConnect5(Step step);
  Step Fail(Step step, int error, std::string message);
  Step SendConnectRequest(Step step);
  size_t ReplyLength() const;

  SocksRequest request_;
  Stage stage_ = Stage::Data;
  std::array<uint8_t, kMaxReply> reply_{};
  size_t have_ = 0;
  std::string boundAddress_;
  std::string boundPort_;
};

}  // namespace sv::net
