// The SOCKS layer of the socket against scripted SOCKS servers on
// 127.0.0.1, one port per scenario.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "net/win32/LineNetSocket.h"
#include "tests/net/win32/SocksPeer.h"

namespace {

using nettest::Bytes;
using nettest::PortBytes;
using nettest::SocksPeer;
using nettest::SocksScenario;
using sv::net::ESocketException;
using sv::net::TCustomNetSocket;
using sv::net::TNetSocket;
using sv::net::TSocketState;
using sv::net::TSocksAuthentication;
using sv::net::TSocksAuthState;

constexpr std::uint16_t kTargetPort = 8765;

// The socket's events as text, in order, and the data it received.
struct SocksClient {
  std::unique_ptr<TNetSocket> socket = forms::NewUnowned<TNetSocket>("");
  std::vector<std::string> events;
  std::string data;
  bool closed = false;

  SocksClient(const std::string& socksPort, const std::string& level, const std::string& target = "127.0.0.1") {
    socket->OnSessionConnected = [this](TCustomNetSocket*, std::uint16_t e) {
      events.push_back("connected " + std::to_string(e));
    };
    socket->OnSessionClosed = [this](TCustomNetSocket*, std::uint16_t e) {
      events.push_back("closed " + std::to_string(e));
      closed = true;
    };
    socket->OnDataAvailable = [this](TCustomNetSocket* sender, std::uint16_t) {
      std::string text = sender->ReceiveText();
      if (!text.empty()) events.push_back("data " + text);
      data += text;
    };
    socket->OnSocksError = [this](TCustomNetSocket*, std::int32_t e, const std::string& msg) {
      events.push_back("socks error " + std::to_string(e) + " " + msg);
    };
    socket->OnSocksAuthState = [this](TCustomNetSocket*, TSocksAuthState state) {
      events.push_back("auth " + std::to_string(static_cast<int>(state)));
    };
    socket->OnSocksConnected = [this](TCustomNetSocket*, std::uint16_t e) {
      events.push_back("socks connected " + std::to_string(e));
    };
    socket->SetAddr(target);
    socket->SetPort(std::to_string(kTargetPort));
    socket->SetSocksServer("127.0.0.1");
    socket->SetSocksPort(socksPort);
    socket->SetSocksLevel(level);
  }

  bool Has(const std::string& prefix) const {
    for (const auto& e : events)
      if (e.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }
  bool WaitFor(const std::string& prefix) {
    return nettest::PumpUntil([&] { return Has(prefix); });
  }
  // The first SocksError code, or 0.
  int SocksErrorCode() const {
    for (const auto& e : events)
      if (e.rfind("socks error ", 0) == 0) return std::stoi(e.substr(12));
    return 0;
  }
};

void WaitFinished(const SocksPeer& peer) { EXPECT_TRUE(nettest::PumpUntil([&] { return peer.Finished(); })); }

std::string V5Request(const std::string& host, std::uint16_t port) {
  return Bytes({5, 1, 0, 3, static_cast<int>(host.size())}) + host + PortBytes(port);
}

std::string V5Success(const std::string& name, std::uint16_t port) {
  return Bytes({5, 0, 0, 3, static_cast<int>(name.size())}) + name + PortBytes(port);
}

// A failed negotiation: its error, then the user's connected and closed
// events with the same code, and nothing else of the user's.
void ExpectFailure(SocksClient& client, int code) {
  ASSERT_TRUE(nettest::PumpUntil([&] { return client.closed; })) << "code " << code;
  EXPECT_EQ(client.SocksErrorCode(), code);
  std::vector<std::string> userEvents;
  for (const auto& e : client.events)
    if (e.rfind("connected ", 0) == 0 || e.rfind("closed ", 0) == 0 || e.rfind("data ", 0) == 0)
      userEvents.push_back(e);
  std::vector<std::string> expected = {"connected " + std::to_string(code), "closed " + std::to_string(code)};
  EXPECT_EQ(userEvents, expected) << "code " << code;
  EXPECT_EQ(client.socket->State(), TSocketState::wsClosed);
}

TEST(SocksSocket, Level5RelaysToTheTargetInLineMode) {
  nettest::LoopbackPeer echo([](SOCKET c) {
    std::string line = nettest::ReadExactly(c, 7);
    nettest::SendAll(c, line);
  });
  SocksScenario scenario;
  scenario.relayPort = static_cast<std::uint16_t>(std::stoi(echo.PortText()));
  scenario.relayBytes = 7;
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "5");
  client.socket->SetPort(echo.PortText());
  client.socket->SetLineMode(true);
  client.socket->OnSessionConnected = [&](TCustomNetSocket* sender, std::uint16_t e) {
    client.events.push_back("connected " + std::to_string(e));
    EXPECT_EQ(sender->State(), TSocketState::wsConnected);
    if (e == 0) sender->SendText("hello\r\n");
  };
  client.socket->Connect();
  // The negotiation runs on the connection to the server, which stands.
  ASSERT_TRUE(client.WaitFor("data "));
  std::vector<std::string> expected = {"socks connected 0", "connected 0", "data hello\r\n"};
  EXPECT_EQ(client.events, expected);
  EXPECT_EQ(client.socket->SocksBoundAddress(), "127.0.0.1");
  EXPECT_EQ(client.socket->SocksBoundPort(), std::to_string(0x1234));
  client.socket->Close();
  WaitFinished(peer);
  auto echoPort = static_cast<std::uint16_t>(std::stoi(echo.PortText()));
  EXPECT_EQ(peer.Seen(), Bytes({5, 1, 0}) + V5Request("127.0.0.1", echoPort) + "hello\r\n");
}

TEST(SocksSocket, Level5AuthenticatesWithUsercodeAndPassword) {
  for (bool dribble : {false, true}) {
    SCOPED_TRACE(dribble);
    SocksScenario scenario;
    scenario.methodReply = Bytes({5, 2});
    scenario.targetData = "welcome";
    scenario.dribble = dribble;
    SocksPeer peer(scenario);
    SocksClient client(peer.PortText(), "5", "target.example");
    client.socket->SocksAuthentication = TSocksAuthentication::socksAuthenticateUsercode;
    client.socket->SocksUsercode = "alice";
    client.socket->SocksPassword = "s3cret";
    std::vector<TSocketState> statesDuringAuth;
    client.socket->OnSocksAuthState = [&](TCustomNetSocket* sender, TSocksAuthState state) {
      client.events.push_back("auth " + std::to_string(static_cast<int>(state)));
      statesDuringAuth.push_back(sender->State());
    };
    client.socket->Connect();
    ASSERT_TRUE(nettest::PumpUntil([&] { return client.data == "welcome"; }));
    std::vector<std::string> expected = {"socks connected 0", "auth 0", "auth 1", "connected 0", "data welcome"};
    EXPECT_EQ(client.events, expected);
    // The connection to the server stands for the whole negotiation.
    EXPECT_EQ(statesDuringAuth, std::vector<TSocketState>(2, TSocketState::wsConnected));
    client.socket->Close();
    WaitFinished(peer);
    EXPECT_EQ(peer.Seen(), Bytes({5, 1, 2}) + Bytes({1, 5}) + "alice" + Bytes({6}) + "s3cret" +
                               V5Request("target.example", kTargetPort));
  }
}

TEST(SocksSocket, RejectedAuthenticationFailsInOrder) {
  SocksScenario scenario;
  scenario.methodReply = Bytes({5, 2});
  scenario.authReply = Bytes({1, 1});
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "5");
  client.socket->SocksAuthentication = TSocksAuthentication::socksAuthenticateUsercode;
  client.socket->SocksUsercode = "alice";
  client.socket->SocksPassword = "wrong";
  client.socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return client.closed; }));
  std::vector<std::string> expected = {"socks connected 0", "auth 0", "socks error 20015 socks authentication failed",
                                       "connected 20015", "closed 20015"};
  EXPECT_EQ(client.events, expected);
  WaitFinished(peer);
}

TEST(SocksSocket, ServerClosingDuringAuthenticationIsReported) {
  SocksScenario scenario;
  scenario.methodReply = Bytes({5, 2});
  scenario.authReply = "";  // no answer: the server hangs up
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "5");
  client.socket->SocksAuthentication = TSocksAuthentication::socksAuthenticateUsercode;
  client.socket->SocksUsercode = "alice";
  client.socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return client.closed; }));
  EXPECT_TRUE(client.Has("auth 2"));
  EXPECT_FALSE(client.Has("connected 0"));
  WaitFinished(peer);
}

TEST(SocksSocket, NoAuthenticationChosenAlthoughOffered) {
  SocksScenario scenario;
  scenario.targetData = "x";
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "5");
  client.socket->SocksAuthentication = TSocksAuthentication::socksAuthenticateUsercode;
  client.socket->SocksUsercode = "alice";
  client.socket->Connect();
  ASSERT_TRUE(client.WaitFor("data "));
  std::vector<std::string> expected = {"socks connected 0", "auth 3", "connected 0", "data x"};
  EXPECT_EQ(client.events, expected);
  client.socket->Close();
  WaitFinished(peer);
  EXPECT_EQ(peer.Seen(), Bytes({5, 1, 2}) + V5Request("127.0.0.1", kTargetPort));
}

TEST(SocksSocket, Level5ReplyCodesBecomeErrors) {
  for (int code = 1; code <= 10; ++code) {
    SocksScenario scenario;
    scenario.connectReply = Bytes({5, code, 0, 1, 127, 0, 0, 1, 0, 80});
    SocksPeer peer(scenario);
    SocksClient client(peer.PortText(), "5");
    client.socket->Connect();
    ExpectFailure(client, code <= 8 ? 20003 + code : 20012);
    if (code > 8) {
      EXPECT_TRUE(client.Has("socks error 20012 unassigned error #" + std::to_string(code)));
    }
    WaitFinished(peer);
  }
}

TEST(SocksSocket, BadVersionsAndMethodsAreRefused) {
  struct Case {
    SocksScenario scenario;
    int code;
  };
  std::vector<Case> cases(5);
  cases[0].scenario.methodReply = Bytes({4, 0});
  cases[0].code = 20002;
  cases[1].scenario.methodReply = Bytes({5, 0xFF});
  cases[1].code = 20003;
  cases[2].scenario.connectReply = Bytes({4, 0, 0, 1, 127, 0, 0, 1, 0, 80});
  cases[2].code = 20002;
  cases[3].scenario.methodReply = Bytes({5, 2});
  cases[3].scenario.authReply = Bytes({5, 0});
  cases[3].code = 20002;
  cases[4].scenario.level4 = true;
  cases[4].scenario.connectReply = Bytes({4, 90, 0, 80, 127, 0, 0, 1});
  cases[4].code = 20002;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    SocksPeer peer(cases[i].scenario);
    SocksClient client(peer.PortText(), cases[i].scenario.level4 ? "4" : "5");
    if (i == 3) {
      client.socket->SocksAuthentication = TSocksAuthentication::socksAuthenticateUsercode;
      client.socket->SocksUsercode = "u";
    }
    client.socket->Connect();
    ExpectFailure(client, cases[i].code);
    WaitFinished(peer);
  }
}

TEST(SocksSocket, AddressTypeFourIsNotSupported) {
  SocksScenario scenario;
  scenario.connectReply = Bytes({5, 0, 0, 4}) + std::string(16, '\1') + PortBytes(80);
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "5");
  client.socket->Connect();
  ExpectFailure(client, 20011);
  WaitFinished(peer);
}

TEST(SocksSocket, LongBoundNameWholeAndDribbled) {
  const std::string name(200, 'n');
  for (bool dribble : {false, true}) {
    SCOPED_TRACE(dribble);
    SocksScenario scenario;
    scenario.connectReply = V5Success(name, 4321);
    scenario.targetData = "after";
    scenario.dribble = dribble;
    SocksPeer peer(scenario);
    SocksClient client(peer.PortText(), "5");
    client.socket->Connect();
    ASSERT_TRUE(nettest::PumpUntil([&] { return client.data == "after"; }));
    EXPECT_EQ(client.events[1], "connected 0");
    EXPECT_EQ(client.socket->SocksBoundAddress(), name);
    EXPECT_EQ(client.socket->SocksBoundPort(), "4321");
    client.socket->Close();
    WaitFinished(peer);
  }
}

TEST(SocksSocket, LongestLegalReplyFits) {
  SocksScenario scenario;
  scenario.connectReply = V5Success(std::string(255, 'm'), 1);
  scenario.dribble = true;
  scenario.targetData = "z";
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "5");
  client.socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return client.data == "z"; }));
  EXPECT_EQ(client.socket->SocksBoundAddress().size(), 255u);
  client.socket->Close();
  WaitFinished(peer);
}

TEST(SocksSocket, DataGluedToTheFinalReplyFollowsConnected) {
  SocksScenario scenario;
  scenario.targetData = "first bytes of the target";
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "5");
  client.socket->Connect();
  ASSERT_TRUE(client.WaitFor("data "));
  std::vector<std::string> expected = {"socks connected 0", "connected 0", "data first bytes of the target"};
  EXPECT_EQ(client.events, expected);
  client.socket->Close();
  WaitFinished(peer);
}

TEST(SocksSocket, Level4GrantsWithTheResolvedAddress) {
  SocksScenario scenario;
  scenario.level4 = true;
  scenario.connectReply = Bytes({0, 90, 0, 0, 0, 0, 0, 0});
  scenario.targetData = "v4 data";
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "4");
  client.socket->SocksUsercode = "bob";
  client.socket->Connect();
  ASSERT_TRUE(client.WaitFor("data "));
  std::vector<std::string> expected = {"socks connected 0", "connected 0", "data v4 data"};
  EXPECT_EQ(client.events, expected);
  client.socket->Close();
  WaitFinished(peer);
  EXPECT_EQ(peer.Seen(), Bytes({4, 1}) + PortBytes(kTargetPort) + Bytes({127, 0, 0, 1}) + "bob" + Bytes({0}));
}

TEST(SocksSocket, Level4Rejections) {
  const std::pair<int, int> codes[] = {{91, 20016}, {92, 20008}, {93, 20015}, {94, 20012}};
  for (auto [reply, code] : codes) {
    SocksScenario scenario;
    scenario.level4 = true;
    scenario.connectReply = Bytes({0, reply, 0, 0, 0, 0, 0, 0});
    SocksPeer peer(scenario);
    SocksClient client(peer.PortText(), "4");
    client.socket->Connect();
    ExpectFailure(client, code);
    WaitFinished(peer);
  }
}

TEST(SocksSocket, Level4ASendsTheNameAfterTheUsercode) {
  SocksScenario scenario;
  scenario.level4 = true;
  scenario.connectReply = Bytes({0, 90, 0, 0, 0, 0, 0, 0});
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "4a", "target.example");
  EXPECT_EQ(client.socket->SocksLevel(), "4A");
  client.socket->SocksUsercode = "bob";
  client.socket->Connect();
  ASSERT_TRUE(client.WaitFor("connected "));
  EXPECT_TRUE(client.Has("connected 0"));
  client.socket->Close();
  WaitFinished(peer);
  EXPECT_EQ(peer.Seen(), Bytes({4, 1}) + PortBytes(kTargetPort) + Bytes({0, 0, 0, 1}) + "bob" + Bytes({0}) +
                             "target.example" + Bytes({0}));
}

TEST(SocksSocket, Level4WithAnUnresolvableTargetSendsNothing) {
  SocksScenario scenario;
  scenario.level4 = true;
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "4", "nowhere.invalid");
  client.socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return client.closed; }, 30000));
  EXPECT_EQ(client.SocksErrorCode(), 20017);
  EXPECT_TRUE(client.Has("closed 20017"));
  EXPECT_FALSE(client.Has("connected "));
  WaitFinished(peer);
  EXPECT_EQ(peer.Seen(), "");
}

TEST(SocksSocket, OverlongFieldsAreRefusedAtConnect) {
  SocksScenario scenario;
  SocksPeer peer(scenario);
  {
    SocksClient client(peer.PortText(), "5");
    client.socket->SocksAuthentication = TSocksAuthentication::socksAuthenticateUsercode;
    client.socket->SocksUsercode = std::string(300, 'u');
    EXPECT_THROW(client.socket->Connect(), ESocketException);
    EXPECT_EQ(client.socket->State(), TSocketState::wsClosed);
  }
  {
    SocksClient client(peer.PortText(), "4A", std::string(256, 'h'));
    int errors = 0;
    client.socket->OnError = [&](TCustomNetSocket*) { ++errors; };
    client.socket->Connect();
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(client.socket->State(), TSocketState::wsClosed);
  }
  // The refused requests never reached the server: this one does.
  SocksClient client(peer.PortText(), "5", std::string(255, 'h'));
  client.socket->Connect();
  ASSERT_TRUE(client.WaitFor("connected "));
  EXPECT_TRUE(client.Has("connected 0"));
  client.socket->Close();
  WaitFinished(peer);
  EXPECT_EQ(peer.Seen(), Bytes({5, 1, 0}) + V5Request(std::string(255, 'h'), kTargetPort));
}

TEST(SocksSocket, UnreachableServerIsTheUsersConnectFailure) {
  SocksClient client(nettest::ClosedPort(), "5");
  client.socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return client.closed; }));
  ASSERT_GE(client.events.size(), 2u);
  EXPECT_EQ(client.events[0], "socks connected 10061");
  EXPECT_EQ(client.events[1], "connected 10061");
  EXPECT_EQ(client.SocksErrorCode(), 0);
}

TEST(SocksSocket, PropertiesAndRefusedOperations) {
  auto socket = forms::NewUnowned<TNetSocket>("");
  EXPECT_EQ(socket->SocksLevel(), "5");
  EXPECT_THROW(socket->SetSocksLevel(""), ESocketException);
  EXPECT_THROW(socket->SetSocksLevel("6"), ESocketException);
  EXPECT_EQ(socket->SocksLevel(), "5");
  socket->SetSocksLevel("4a");
  EXPECT_EQ(socket->SocksLevel(), "4A");
  socket->SetSocksServer("  127.0.0.1 ");
  EXPECT_EQ(socket->SocksServer(), "127.0.0.1");
  socket->SetSocksPort("1080");
  socket->SetAddr("127.0.0.1");
  socket->SetPort("80");
  EXPECT_THROW(socket->Listen(), ESocketException);
  socket->SetProto("udp");
  EXPECT_THROW(socket->Connect(), ESocketException);
  EXPECT_EQ(socket->State(), TSocketState::wsClosed);
}

TEST(SocksSocket, EveryCloseForgetsTheServer) {
  SocksScenario scenario;
  scenario.level4 = true;
  scenario.connectReply = Bytes({0, 91, 0, 0, 0, 0, 0, 0});
  SocksPeer peer(scenario);
  SocksClient client(peer.PortText(), "4A");
  client.socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return client.closed; }));
  EXPECT_EQ(client.socket->SocksServer(), "");
  EXPECT_EQ(client.socket->SocksPort(), "");
  EXPECT_EQ(client.socket->SocksLevel(), "5");
  WaitFinished(peer);
}

}  // namespace
