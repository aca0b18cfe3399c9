// The run-time binding of the sockets library and name resolution.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "forms/Component.h"
#include "net/win32/LineNetSocket.h"
#include "net/win32/WinsockApi.h"
#include "tests/net/win32/Peer.h"

namespace {

using sv::net::ESocketException;

std::string MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const ESocketException& e) {
    return e.Message();
  }
  return "(no exception)";
}

TEST(Resolution, DottedQuadRules) {
  EXPECT_TRUE(sv::net::IsDottedQuad("10.0.0.1"));
  EXPECT_TRUE(sv::net::IsDottedQuad("  10.0.0.1  "));
  EXPECT_FALSE(sv::net::IsDottedQuad("10.0.0"));
  EXPECT_FALSE(sv::net::IsDottedQuad("10..0.1"));
  EXPECT_FALSE(sv::net::IsDottedQuad("10.0.0.256"));
  EXPECT_FALSE(sv::net::IsDottedQuad("a.b.c.d"));
  EXPECT_FALSE(sv::net::IsDottedQuad(".1.2.3"));
  EXPECT_FALSE(sv::net::IsDottedQuad("1.2.3.4.5"));
  EXPECT_FALSE(sv::net::IsDottedQuad("10.0.0.1x y"));
  // A digit run long enough to wrap a 32-bit value must not pass as small.
  EXPECT_FALSE(sv::net::IsDottedQuad("4294967297.0.0.1"));
  EXPECT_FALSE(sv::net::IsDottedQuad("1.1.1.4294967296"));
  EXPECT_EQ(sv::net::LeadingNumber("  80abc"), 80u);
  EXPECT_EQ(sv::net::LeadingNumber("x"), 0u);
  EXPECT_EQ(sv::net::LeadingNumber("99999999999999999999999"), 0xFFFFFFFFu);
}

TEST(Resolution, HostPortAndProtocol) {
  auto holder = forms::NewUnowned<sv::net::TNetSocket>("");  // keeps the library bound
  EXPECT_EQ(sv::net::NetSocketResolveHost("255.255.255.255"), 0xFFFFFFFFu);
  EXPECT_EQ(sv::net::NetSocketResolveHost(" 127.0.0.1 "), sv::net::HostToNet32(0x7F000001u));
  std::string longName(257, 'a');
  EXPECT_EQ(MessageOf([&] { sv::net::NetSocketResolveHost(longName); }),
            "NetSocketResolveHost: '" + longName + "' Invalid Hostname.");
  EXPECT_EQ(MessageOf([] { sv::net::NetSocketResolveHost(""); }), "NetSocketResolveHost: '' Invalid Hostname.");
  EXPECT_EQ(sv::net::NetSocketResolveHost("localhost"), sv::net::HostToNet32(0x7F000001u));

  EXPECT_EQ(sv::net::NetSocketResolvePort("80", "tcp"), 80);
  EXPECT_EQ(sv::net::NetSocketResolvePort("0", "tcp"), 0);
  EXPECT_EQ(sv::net::NetSocketResolvePort("65535", "tcp"), 65535);
  // 65616 would otherwise become port 80.
  EXPECT_EQ(MessageOf([] { sv::net::NetSocketResolvePort("65616", "tcp"); }), "NetSocketResolvePort: Invalid Port.");
  EXPECT_EQ(MessageOf([] { sv::net::NetSocketResolvePort("", "tcp"); }), "NetSocketResolvePort: Invalid Port.");
  EXPECT_EQ(MessageOf([] { sv::net::NetSocketResolvePort("80", ""); }), "NetSocketResolvePort: Invalid Proto.");

  EXPECT_EQ(sv::net::NetSocketResolveProto("UDP"), 17);
  EXPECT_EQ(sv::net::NetSocketResolveProto("tcp"), 6);
  EXPECT_EQ(sv::net::NetSocketResolveProto("6"), 6);
  EXPECT_EQ(MessageOf([] { sv::net::NetSocketResolveProto(""); }), "NetSocketResolveProto: Invalid Protocol.");
  EXPECT_NE(MessageOf([] { sv::net::NetSocketResolveProto("nosuchproto"); }).find("Cannot convert protocol 'nosuchproto'"),
            std::string::npos);

  try {
    EXPECT_EQ(sv::net::NetSocketResolvePort("http", "tcp"), 80);
  } catch (const ESocketException& e) {
    GTEST_SKIP() << "no service database here: " << e.Message();
  }
}

TEST(Resolution, LookupOfANameCompletesLaterAndALiteralAtOnce) {
  auto socket = forms::NewUnowned<sv::net::TNetSocket>("");
  int done = -1;
  bool inside = true;
  socket->OnDnsLookupDone = [&](sv::net::TCustomNetSocket*, std::uint16_t error) { done = error; };

  socket->DnsLookup("127.0.0.1");
  EXPECT_EQ(done, 0) << "a literal address completes inside the call";
  EXPECT_EQ(socket->DnsResult(), "127.0.0.1");

  done = -1;
  socket->DnsLookup("localhost");
  inside = done != -1;
  EXPECT_FALSE(inside);
  ASSERT_TRUE(nettest::PumpUntil([&] { return done != -1; }));
  EXPECT_EQ(done, 0);
  EXPECT_EQ(socket->DnsResult(), "127.0.0.1");
  ASSERT_FALSE(socket->DnsResultList().empty());
  EXPECT_EQ(socket->DnsResultList().front(), "127.0.0.1");

  int errors = 0;
  socket->OnError = [&](sv::net::TCustomNetSocket*) { ++errors; };
  done = -1;
  socket->DnsLookup("");
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(done, 10022);
}

TEST(Resolution, CancelledAndReplacedLookups) {
  auto socket = forms::NewUnowned<sv::net::TNetSocket>("");
  std::vector<int> done;
  socket->OnDnsLookupDone = [&](sv::net::TCustomNetSocket*, std::uint16_t error) { done.push_back(error); };
  socket->DnsLookup("localhost");
  socket->CancelDnsLookup();
  ASSERT_EQ(done, std::vector<int>{10004});
  nettest::PumpFor(300);
  EXPECT_EQ(done, std::vector<int>{10004}) << "a cancelled lookup never completes";

  done.clear();
  socket->DnsLookup("localhost");
  socket->DnsLookup("127.0.0.1");  // replaces the running one without an event
  ASSERT_EQ(done, std::vector<int>{0});
  nettest::PumpFor(300);
  EXPECT_EQ(done, std::vector<int>{0});
  EXPECT_EQ(socket->DnsResult(), "127.0.0.1");

  done.clear();
  socket->ReverseDnsLookupSync("127.0.0.1");
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0], 0);
  EXPECT_FALSE(socket->DnsResult().empty());
  std::string name = socket->DnsResult();

  done.clear();
  socket->ReverseDnsLookup("127.0.0.1");
  ASSERT_TRUE(nettest::PumpUntil([&] { return !done.empty(); }));
  EXPECT_EQ(done[0], 0);
  EXPECT_EQ(socket->DnsResult(), name);
}

TEST(Resolution, LibraryIsBoundAgainAfterTheLastSocketGoes) {
  {
    auto socket = forms::NewUnowned<sv::net::TNetSocket>("");
    socket->DnsLookup("127.0.0.1");
    EXPECT_TRUE(sv::net::WinsockLoaded());
  }
  EXPECT_FALSE(sv::net::WinsockLoaded());
  EXPECT_EQ(sv::net::HeldCount(), 0);
  auto again = forms::NewUnowned<sv::net::TNetSocket>("");
  int done = -1;
  again->OnDnsLookupDone = [&](sv::net::TCustomNetSocket*, std::uint16_t error) { done = error; };
  again->DnsLookup("localhost");
  ASSERT_TRUE(nettest::PumpUntil([&] { return done != -1; }));
  EXPECT_EQ(done, 0);
  EXPECT_EQ(again->DnsResult(), "127.0.0.1");
}

}  // namespace
