// SOCKS server replies in arbitrary splits: the first byte picks the level and
// whether user-code authentication is offered, the second seeds the split
// sizes, the rest is what the server sends. Every step stays within what it
// was offered and what its stage needs, every failure has a SOCKS code, and
// the outcome does not depend on how the bytes were split.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <string>

#include "Require.h"
#include "net/core/SocksProto.h"

namespace {

using sv::net::SocksNegotiator;
using Outcome = SocksNegotiator::Outcome;

struct Result {
  Outcome outcome = Outcome::Wait;
  int error = 0;
  size_t used = 0;
  std::string sent;
};

Result Negotiate(const sv::net::SocksRequest& request, const uint8_t* data, size_t size, uint32_t seed) {
  SocksNegotiator negotiator(request);
  Result result;
  auto step = negotiator.Start();
  REQUIRE(step.outcome == Outcome::Send);
  result.sent += step.send;
  result.outcome = step.outcome;
  while (result.used < size && (result.outcome == Outcome::Send || result.outcome == Outcome::Wait)) {
    size_t offered = size - result.used;
    if (seed != 0) {
      seed = seed * 1103515245u + 12345u;
      offered = std::min<size_t>(offered, (seed >> 16) % 7 + 1);
    }
    const size_t wanted = negotiator.Wanted();
    REQUIRE(wanted > 0 && wanted <= SocksNegotiator::kMaxReply);
    step = negotiator.Feed(data + result.used, offered);
    REQUIRE(step.consumed <= offered && step.consumed <= wanted);
    result.used += step.consumed;
    result.outcome = step.outcome;
    result.sent += step.send;
    if (step.outcome == Outcome::Failed) {
      REQUIRE(step.error >= 20001 && step.error <= 20017);
      REQUIRE(!step.message.empty());
    }
    if (step.outcome == Outcome::Failed || step.outcome == Outcome::Granted)
      REQUIRE(negotiator.CurrentStage() == SocksNegotiator::Stage::Data);
    if (step.outcome == Outcome::Wait) REQUIRE(step.consumed == std::min(offered, wanted));
    result.error = step.error;
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  sv::net::SocksRequest request;
  request.level = data[0] % 3 == 0 ? sv::net::SocksLevel::V4 : data[0] % 3 == 1 ? sv::net::SocksLevel::V4A
                                                                                 : sv::net::SocksLevel::V5;
  request.authenticate = (data[0] & 4) != 0;
  request.host = "example.org";
  request.address = {127, 0, 0, 1};
  request.port = 1080;
  request.usercode = "user";
  request.password = "password";
  const uint32_t seed = uint32_t(data[1]) | 1u;

  const Result whole = Negotiate(request, data + 2, size - 2, 0);
  const Result split = Negotiate(request, data + 2, size - 2, seed);
  REQUIRE(whole.outcome == split.outcome);
  REQUIRE(whole.error == split.error);
  // A failure may show after fewer bytes when they come one by one; where
  // the target's data begins never depends on the split.
  if (whole.outcome == Outcome::Granted) REQUIRE(whole.used == split.used);
  REQUIRE(whole.sent == split.sent);
  return 0;
}
