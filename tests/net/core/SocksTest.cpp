// The SOCKS negotiation against recorded server byte sequences: each scenario
// runs with the replies whole, dribbled one byte at a time and in threes, and
// must give the same requests, events and outcome every way.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "net/core/SocksProto.h"

namespace {

using sv::net::SocksLevel;
using sv::net::SocksNegotiator;
using sv::net::SocksRequest;
using Outcome = SocksNegotiator::Outcome;

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += char(v);
  return out;
}

struct Transcript {
  std::vector<std::string> sent;
  std::vector<int> authStates;
  Outcome outcome = Outcome::Wait;
  int error = 0;
  std::string message;
  std::string leftover;  // server bytes after the final reply
  std::string boundAddress;
  std::string boundPort;
};

// chunk 0 feeds everything at once.
Transcript Negotiate(const SocksRequest& request, const std::string& server, size_t chunk) {
  SocksNegotiator negotiator(request);
  Transcript t;
  auto record = [&](const SocksNegotiator::Step& step) {
    if (step.authState) t.authStates.push_back(*step.authState);
    if (step.outcome == Outcome::Send) t.sent.push_back(step.send);
    t.outcome = step.outcome;
    t.error = step.error;
    t.message = step.message;
  };
  record(negotiator.Start());
  const auto* bytes = reinterpret_cast<const uint8_t*>(server.data());
  size_t at = 0;
  while (at < server.size() && (t.outcome == Outcome::Send || t.outcome == Outcome::Wait)) {
    const size_t offered = chunk == 0 ? server.size() - at : std::min(chunk, server.size() - at);
    const size_t wanted = negotiator.Wanted();
    const auto step = negotiator.Feed(bytes + at, offered);
    EXPECT_LE(step.consumed, std::min(offered, wanted));
    at += step.consumed;
    record(step);
  }
  if (t.outcome == Outcome::Granted) t.leftover = server.substr(at);
  t.boundAddress = negotiator.BoundAddress();
  t.boundPort = negotiator.BoundPort();
  return t;
}

// Runs whole, dribbled and in threes; all three must agree.
Transcript RunAllWays(const SocksRequest& request, const std::string& server) {
  const Transcript whole = Negotiate(request, server, 0);
  for (size_t chunk : {1, 3}) {
    const Transcript split = Negotiate(request, server, chunk);
    EXPECT_EQ(split.sent, whole.sent) << "chunk " << chunk;
    EXPECT_EQ(split.authStates, whole.authStates) << "chunk " << chunk;
    EXPECT_EQ(split.outcome, whole.outcome) << "chunk " << chunk;
    EXPECT_EQ(split.error, whole.error) << "chunk " << chunk;
    EXPECT_EQ(split.leftover, whole.leftover) << "chunk " << chunk;
  }
  return whole;
}

SocksRequest V5(std::string host = "127.0.0.1", uint16_t port = 80) {
  SocksRequest r;
  r.level = SocksLevel::V5;
  r.host = std::move(host);
  r.port = port;
  return r;
}

SocksRequest V5Auth() {
  SocksRequest r = V5("example.org", 443);
  r.authenticate = true;
  r.usercode = "user";
  r.password = "secret";
  return r;
}

const std::string kGreetingNoAuth = Bytes({5, 1, 0});
const std::string kMethodNone = Bytes({5, 0});
const std::string kGranted5 = Bytes({5, 0, 0, 1, 10, 0, 0, 7, 0x1F, 0x90});

TEST(Socks5, NoAuthenticationConnectAndData) {
  // The connect reply follows the method reply; target data follows both.
  const auto t = RunAllWays(V5(), kMethodNone + kGranted5 + "HTTP/1.0 200 OK\r\n");
  ASSERT_EQ(t.outcome, Outcome::Granted) << t.message;
  ASSERT_EQ(t.sent.size(), 2u);
  EXPECT_EQ(t.sent[0], kGreetingNoAuth);
  EXPECT_EQ(t.sent[1], Bytes({5, 1, 0, 3, 9}) + "127.0.0.1" + Bytes({0, 80}));
  EXPECT_TRUE(t.authStates.empty());
  EXPECT_EQ(t.boundAddress, "10.0.0.7");
  EXPECT_EQ(t.boundPort, "8080");
  EXPECT_EQ(t.leftover, "HTTP/1.0 200 OK\r\n");
}

TEST(Socks5, UsercodeAccepted) {
  const auto t = RunAllWays(V5Auth(), Bytes({5, 2}) + Bytes({1, 0}) + kGranted5);
  ASSERT_EQ(t.outcome, Outcome::Granted) << t.message;
  ASSERT_EQ(t.sent.size(), 3u);
  EXPECT_EQ(t.sent[0], Bytes({5, 1, 2}));
  EXPECT_EQ(t.sent[1], Bytes({1, 4}) + "user" + Bytes({6}) + "secret");
  EXPECT_EQ(t.sent[2], Bytes({5, 1, 0, 3, 11}) + "example.org" + Bytes({1, 0xBB}));
  EXPECT_EQ(t.authStates, (std::vector<int>{0, 1}));
  EXPECT_TRUE(t.leftover.empty());
}

TEST(Socks5, UsercodeRejected) {
  const auto t = RunAllWays(V5Auth(), Bytes({5, 2}) + Bytes({1, 1}));
  EXPECT_EQ(t.outcome, Outcome::Failed);
  EXPECT_EQ(t.error, 20015);
  EXPECT_EQ(t.message, "socks authentication failed");
  EXPECT_EQ(t.sent.size(), 2u);
  EXPECT_EQ(t.authStates, (std::vector<int>{0}));
}

TEST(Socks5, NoAuthenticationAlthoughOffered) {
  const auto t = RunAllWays(V5Auth(), kMethodNone + kGranted5);
  ASSERT_EQ(t.outcome, Outcome::Granted) << t.message;
  EXPECT_EQ(t.authStates, (std::vector<int>{3}));
  ASSERT_EQ(t.sent.size(), 2u);
  EXPECT_EQ(t.sent[1][0], 5);
}

TEST(Socks5, MethodRefusals) {
  EXPECT_EQ(RunAllWays(V5(), Bytes({5, 0xFF})).error, 20003);
  // User code offered by nobody: the server may not pick it.
  EXPECT_EQ(RunAllWays(V5(), Bytes({5, 2})).error, 20003);
}

TEST(Socks5, ReplyCodes) {
  for (int code = 1; code <= 8; ++code) {
    const auto t = RunAllWays(V5(), kMethodNone + Bytes({5, code, 0, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(t.outcome, Outcome::Failed);
    EXPECT_EQ(t.error, 20003 + code) << code;
  }
  EXPECT_EQ(RunAllWays(V5(), kMethodNone + Bytes({5, 5, 0, 1})).message, "connection refused");
  const auto unassigned = RunAllWays(V5(), kMethodNone + Bytes({5, 9, 0, 1}));
  EXPECT_EQ(unassigned.error, 20012);
  EXPECT_EQ(unassigned.message, "unassigned error #9");
}

TEST(Socks5, BadVersions) {
  EXPECT_EQ(RunAllWays(V5(), Bytes({4, 0})).error, 20002);
  EXPECT_EQ(RunAllWays(V5Auth(), Bytes({5, 2, 5, 0})).error, 20002);
  EXPECT_EQ(RunAllWays(V5(), kMethodNone + Bytes({4, 0, 0, 1, 0, 0, 0, 0, 0, 0})).error, 20002);
}

TEST(Socks5, LongBoundName) {
  const std::string name(200, 'n');
  const auto t = RunAllWays(V5(), kMethodNone + Bytes({5, 0, 0, 3, 200}) + name + Bytes({0, 21}) + "data");
  ASSERT_EQ(t.outcome, Outcome::Granted) << t.message;
  EXPECT_EQ(t.boundAddress, name);
  EXPECT_EQ(t.boundPort, "21");
  EXPECT_EQ(t.leftover, "data");

  const std::string longest(255, 'x');
  const auto max = RunAllWays(V5(), kMethodNone + Bytes({5, 0, 0, 3, 255}) + longest + Bytes({1, 0}));
  ASSERT_EQ(max.outcome, Outcome::Granted);
  EXPECT_EQ(max.boundAddress, longest);
}

TEST(Socks5, UnsupportedAddressType) {
  // IPv6: refused once the length byte position is there, the rest unread.
  const std::string reply = kMethodNone + Bytes({5, 0, 0, 4}) + std::string(18, '\x01');
  const auto t = RunAllWays(V5(), reply);
  EXPECT_EQ(t.error, 20011);
  SocksNegotiator negotiator(V5());
  negotiator.Start();
  const auto* bytes = reinterpret_cast<const uint8_t*>(reply.data());
  EXPECT_EQ(negotiator.Feed(bytes, reply.size()).consumed, 2u);
  EXPECT_EQ(negotiator.Feed(bytes + 2, reply.size() - 2).consumed, 5u);
}

TEST(Socks5, EachStageReadsOnlyItsOwnReply) {
  const std::string server = kMethodNone + kGranted5 + "xyz";
  SocksNegotiator negotiator(V5());
  negotiator.Start();
  EXPECT_EQ(negotiator.Wanted(), 2u);
  const auto* bytes = reinterpret_cast<const uint8_t*>(server.data());
  const auto methods = negotiator.Feed(bytes, server.size());
  EXPECT_EQ(methods.consumed, 2u);
  EXPECT_EQ(methods.outcome, Outcome::Send);
  EXPECT_EQ(negotiator.Wanted(), 5u);
  const auto head = negotiator.Feed(bytes + 2, 5);
  EXPECT_EQ(head.outcome, Outcome::Wait);
  EXPECT_EQ(negotiator.Wanted(), 5u);
  const auto rest = negotiator.Feed(bytes + 7, server.size() - 7);
  EXPECT_EQ(rest.consumed, 5u);
  EXPECT_EQ(rest.outcome, Outcome::Granted);
  EXPECT_EQ(negotiator.CurrentStage(), SocksNegotiator::Stage::Data);
  // Past the negotiation, replies are a logic fault, not data.
  EXPECT_EQ(negotiator.Feed(bytes, 1).error, 20013);
}

SocksRequest V4(SocksLevel level) {
  SocksRequest r;
  r.level = level;
  r.host = "example.org";
  r.address = {127, 0, 0, 1};
  r.port = 8080;
  r.usercode = "bob";
  return r;
}

TEST(Socks4, GrantAndRequestBytes) {
  const auto t = RunAllWays(V4(SocksLevel::V4), Bytes({0, 90, 0, 0, 0, 0, 0, 0}) + "hello");
  ASSERT_EQ(t.outcome, Outcome::Granted) << t.message;
  ASSERT_EQ(t.sent.size(), 1u);
  EXPECT_EQ(t.sent[0], Bytes({4, 1, 0x1F, 0x90, 127, 0, 0, 1}) + "bob" + Bytes({0}));
  EXPECT_EQ(t.leftover, "hello");
}

TEST(Socks4, Rejections) {
  const std::pair<int, int> cases[] = {{91, 20016}, {92, 20008}, {93, 20015}, {94, 20012}};
  for (const auto& [code, error] : cases) {
    const auto t = RunAllWays(V4(SocksLevel::V4), Bytes({0, code, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(t.outcome, Outcome::Failed);
    EXPECT_EQ(t.error, error) << code;
  }
  EXPECT_EQ(RunAllWays(V4(SocksLevel::V4), Bytes({4, 90, 0, 0, 0, 0, 0, 0})).error, 20002);
  // Seven bytes are not a reply yet.
  EXPECT_EQ(Negotiate(V4(SocksLevel::V4), Bytes({0, 90, 0, 0, 0, 0, 0}), 0).outcome, Outcome::Wait);
}

TEST(Socks4, LevelFourASendsTheName) {
  const auto t = RunAllWays(V4(SocksLevel::V4A), Bytes({0, 90, 0, 0, 0, 0, 0, 0}));
  ASSERT_EQ(t.outcome, Outcome::Granted);
  EXPECT_EQ(t.sent[0], Bytes({4, 1, 0x1F, 0x90, 0, 0, 0, 1}) + "bob" + Bytes({0}) + "example.org" + Bytes({0}));
  SocksRequest anonymous = V4(SocksLevel::V4A);
  anonymous.usercode.clear();
  EXPECT_EQ(Negotiate(anonymous, "", 0).sent[0], Bytes({4, 1, 0x1F, 0x90, 0, 0, 0, 1, 0}) + "example.org" + Bytes({0}));
}

TEST(SocksRequests, OverLongFieldsAreRefusedBeforeAnythingIsSent) {
  SocksRequest longUser = V5Auth();
  longUser.usercode = std::string(300, 'u');
  EXPECT_EQ(sv::net::SocksRequestProblem(longUser), "socks request too long");
  const auto t = Negotiate(longUser, "", 0);
  EXPECT_EQ(t.outcome, Outcome::Failed);
  EXPECT_TRUE(t.sent.empty());

  SocksRequest longPassword = V5Auth();
  longPassword.password = std::string(256, 'p');
  EXPECT_FALSE(sv::net::SocksRequestProblem(longPassword).empty());
  longPassword.authenticate = false;  // not sent, so not checked
  EXPECT_TRUE(sv::net::SocksRequestProblem(longPassword).empty());

  EXPECT_TRUE(sv::net::SocksRequestProblem(V5(std::string(255, 'h'))).empty());
  EXPECT_FALSE(sv::net::SocksRequestProblem(V5(std::string(256, 'h'))).empty());
  EXPECT_FALSE(sv::net::SocksRequestProblem(V5("")).empty());

  SocksRequest v4 = V4(SocksLevel::V4);
  v4.usercode = std::string(300, 'u');
  EXPECT_FALSE(sv::net::SocksRequestProblem(v4).empty());
  SocksRequest v4a = V4(SocksLevel::V4A);
  v4a.host = std::string("a\0b", 3);
  EXPECT_FALSE(sv::net::SocksRequestProblem(v4a).empty());
  v4a.host = std::string(256, 'h');
  EXPECT_FALSE(sv::net::SocksRequestProblem(v4a).empty());
  // Level 4 sends the resolved address, not the name.
  SocksRequest v4LongName = V4(SocksLevel::V4);
  v4LongName.host = std::string(400, 'h');
  EXPECT_TRUE(sv::net::SocksRequestProblem(v4LongName).empty());
}

TEST(SocksLevels, TextForms) {
  EXPECT_EQ(sv::net::ParseSocksLevel("4a"), SocksLevel::V4A);
  EXPECT_EQ(sv::net::SocksLevelText(*sv::net::ParseSocksLevel("4a")), "4A");
  EXPECT_EQ(sv::net::ParseSocksLevel("4"), SocksLevel::V4);
  EXPECT_EQ(sv::net::ParseSocksLevel("5"), SocksLevel::V5);
  EXPECT_FALSE(sv::net::ParseSocksLevel(""));
  EXPECT_FALSE(sv::net::ParseSocksLevel("6"));
  EXPECT_FALSE(sv::net::ParseSocksLevel("5 "));
}

}  // namespace
