// The socket component's states and events against real loopback peers.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "net/win32/LineNetSocket.h"
#include "net/win32/SocketWindow.h"
#include "tests/net/win32/Peer.h"

namespace {

using sv::net::TCustomNetSocket;
using sv::net::TNetSocket;
using sv::net::TSocketState;

std::string StateName(TSocketState state) {
  static const char* const names[] = {"Invalid", "Opened",    "Bound",     "Connecting", "SocksConnected",
                                      "Connected", "Accepting", "Listening", "Closed"};
  return names[static_cast<int>(state)];
}

// Records the events of a socket as text, in order.
struct EventLog {
  std::vector<std::string> lines;
  void Attach(TCustomNetSocket& socket) {
    socket.OnChangeState = [this](TCustomNetSocket*, TSocketState, TSocketState now) {
      lines.push_back("state " + StateName(now));
    };
    socket.OnSessionConnected = [this](TCustomNetSocket*, std::uint16_t e) {
      lines.push_back("connected " + std::to_string(e));
    };
    socket.OnSessionClosed = [this](TCustomNetSocket*, std::uint16_t e) {
      lines.push_back("closed " + std::to_string(e));
    };
  }
  bool Has(const std::string& line) const {
    for (const auto& l : lines)
      if (l == line) return true;
    return false;
  }
};

TEST(NetSocket, RefusedConnectReportsThenCloses) {
  auto socket = forms::NewUnowned<TNetSocket>("");
  EventLog log;
  log.Attach(*socket);
  socket->SetAddr("127.0.0.1");
  socket->SetPort(nettest::ClosedPort());
  socket->Connect();
  EXPECT_EQ(socket->State(), TSocketState::wsConnecting);
  ASSERT_TRUE(nettest::PumpUntil([&] { return log.Has("closed 0"); }));
  std::vector<std::string> expected = {"state Opened", "state Connecting", "state Connected",
                                       "connected 10061", "state Closed", "closed 0"};
  EXPECT_EQ(log.lines, expected);
  EXPECT_EQ(socket->State(), TSocketState::wsClosed);
}

TEST(NetSocket, ConnectReceiveAndPeerClose) {
  nettest::LoopbackPeer peer([](SOCKET client) { nettest::SendAll(client, "hello"); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  EventLog log;
  log.Attach(*socket);
  std::string received;
  socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) { received += s->ReceiveText(); };
  socket->SetAddr("localhost");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return log.Has("state Closed"); }));
  EXPECT_EQ(received, "hello");
  EXPECT_TRUE(log.Has("connected 0"));
  int closes = 0;
  for (const auto& line : log.lines) closes += line.rfind("closed", 0) == 0;
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(socket->State(), TSocketState::wsClosed);
}

TEST(NetSocket, AllBytesArriveBeforeTheCloseEvenOneDeliveryPerEvent) {
  std::string payload(100 * 1024, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 31 + 7);
  nettest::LoopbackPeer peer([&](SOCKET client) { nettest::SendAll(client, payload); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->ComponentOptions.Include(sv::net::TNetSocketOption::wsoNoReceiveLoop);
  std::string received;
  int closes = 0;
  std::size_t atClose = 0;
  socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) {
    char buffer[4096];
    int n = s->Receive(buffer, sizeof buffer);
    if (n > 0) received.append(buffer, static_cast<std::size_t>(n));
  };
  socket->OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t) {
    ++closes;
    atClose = received.size();
  };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return closes > 0; }));
  nettest::PumpFor(100);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(atClose, payload.size());
  EXPECT_TRUE(received == payload);
}

TEST(NetSocket, RefusalsGoToOnErrorOrRaise) {
  auto socket = forms::NewUnowned<TNetSocket>("");
  try {
    socket->Connect();
    ADD_FAILURE() << "Connect without a port must raise";
  } catch (const sv::net::ESocketException& e) {
    EXPECT_EQ(e.Message(), "Connect: No Port Specified");
  }
  socket->SetPort("80");
  try {
    socket->Connect();
    ADD_FAILURE() << "Connect without an address must raise";
  } catch (const sv::net::ESocketException& e) {
    EXPECT_EQ(e.Message(), "Connect: No IP Address Specified");
  }
  int errors = 0;
  socket->OnError = [&](TCustomNetSocket*) { ++errors; };
  socket->SetPort("");
  socket->Connect();
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(socket->Send("x", 1), -1);
  EXPECT_EQ(errors, 2);
  EXPECT_EQ(socket->LastError, 10057);
}

// Windows gives a closed socket's handle value to the next socket at once.
// An event still queued for the closed one must not reach the new one: a
// connecting socket taken as connected sends its request into nothing.
TEST(NetSocket, EventsQueuedForAClosedHandleNeverReachTheNextSocketWithItsValue) {
  std::atomic<bool> release{false};
  nettest::LoopbackPeer peer([&](SOCKET) {
    // Holds the connection, so no handle of this process is freed meanwhile.
    for (int i = 0; i < 3000 && !release; ++i) Sleep(10);
  });
  struct Release {
    std::atomic<bool>& flag;
    ~Release() { flag = true; }
  } releaseAtEnd{release};
  const std::string refusing = nettest::ClosedPort();
  std::unique_ptr<TNetSocket> second;
  EventLog log;
  // The system's own handles may take the freed value first: the scene is
  // set again until the second socket gets it.
  for (int attempt = 0; attempt < 20 && !second; ++attempt) {
    auto first = forms::NewUnowned<TNetSocket>("");
    first->SetAddr("127.0.0.1");
    first->SetPort(peer.PortText());
    first->Connect();
    ASSERT_EQ(first->State(), TSocketState::wsConnecting);
    const SOCKET value = first->Handle();
    // Nothing is served until the connection's event waits in the queue.
    MSG queued{};
    for (int i = 0; i < 1000 && !PeekMessageW(&queued, sv::net::detail::SocketWindow(), sv::net::kMsgNetEvent,
                                              sv::net::kMsgNetEvent, PM_NOREMOVE);
         ++i)
      Sleep(10);
    ASSERT_EQ(queued.message, sv::net::kMsgNetEvent);
    ASSERT_EQ(static_cast<SOCKET>(queued.wParam), value);
    ASSERT_NE(WSAGETSELECTEVENT(queued.lParam) & FD_CONNECT, 0);
    first->Close();

    // The lowest free handle value goes to the next handle: fill the lower
    // ones, then free the closed socket's value again for the second socket.
    std::vector<SOCKET> fillers;
    for (int i = 0; i < 4096; ++i) {
      const SOCKET filler = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
      if (filler == INVALID_SOCKET || filler == value) {
        if (filler == value) closesocket(filler);
        break;
      }
      fillers.push_back(filler);
    }
    auto candidate = forms::NewUnowned<TNetSocket>("");
    log = EventLog{};
    log.Attach(*candidate);
    candidate->SetAddr("127.0.0.1");
    candidate->SetPort(refusing);
    candidate->Connect();
    for (SOCKET filler : fillers) closesocket(filler);
    if (candidate->Handle() == value) second = std::move(candidate);
  }
  ASSERT_TRUE(second) << "the closed socket's handle value was never given again";
  // Taken as connected by the stale event, it would wait for data instead.
  ASSERT_TRUE(nettest::PumpUntil([&] { return log.Has("closed 0") || log.Has("connected 0"); }));
  const std::vector<std::string> refused = {"state Opened", "state Connecting", "state Connected",
                                            "connected 10061", "state Closed", "closed 0"};
  EXPECT_EQ(log.lines, refused);
}

TEST(NetSocket, ConnectedSocketRefusesPropertyChangesAndCloseResetsThem) {
  nettest::LoopbackPeer peer([](SOCKET client) { nettest::ReadAll(client, 1); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  int errors = 0;
  bool connected = false;
  socket->OnError = [&](TCustomNetSocket*) { ++errors; };
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return connected; }));
  EXPECT_EQ(socket->PeerAddr(), "127.0.0.1");
  EXPECT_EQ(socket->PeerPort(), peer.PortText());
  socket->SetAddr("127.0.0.2");
  socket->SetPort("1");
  EXPECT_EQ(errors, 2);
  EXPECT_EQ(socket->Addr(), "127.0.0.1");
  socket->Send("x", 1);
  socket->Close();
  EXPECT_EQ(socket->State(), TSocketState::wsClosed);
  EXPECT_EQ(socket->LocalAddr(), "0.0.0.0");
  EXPECT_EQ(socket->PeerAddr(), "error");
  // Addr and Port must be given again after a close.
  socket->Connect();
  EXPECT_EQ(errors, 3);
}

TEST(NetSocket, CustomKeepAliveAndPausedDelivery) {
  std::atomic<bool> paused{false};
  nettest::LoopbackPeer peer([&](SOCKET client) {
    // Speaks only to a paused socket.
    for (int i = 0; i < 6000 && !paused; ++i) Sleep(10);
    nettest::SendAll(client, "late");
    nettest::ReadAll(client, 1);
  });
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->KeepAliveOnOff = sv::net::TSocketKeepAliveOnOff::wsKeepAliveOnCustom;
  int errors = 0;
  bool connected = false;
  std::string received;
  socket->OnError = [&](TCustomNetSocket*) { ++errors; };
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) { received += s->ReceiveText(); };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  EXPECT_EQ(errors, 0) << "keep-alive values refused, error " << socket->LastError;
  ASSERT_TRUE(nettest::PumpUntil([&] { return connected; }));
  socket->Pause();
  paused = true;
  nettest::PumpFor(300);
  EXPECT_EQ(received, "") << "a paused socket delivers nothing";
  socket->Resume();
  ASSERT_TRUE(nettest::PumpUntil([&] { return received == "late"; }));
  socket->Abort();
  EXPECT_EQ(socket->State(), TSocketState::wsClosed);
}

TEST(NetSocket, StateHandlerClosingDuringConnectGivesInvalidArgument) {
  auto socket = forms::NewUnowned<TNetSocket>("");
  int errors = 0;
  socket->OnError = [&](TCustomNetSocket*) { ++errors; };
  socket->OnChangeState = [](TCustomNetSocket* s, TSocketState, TSocketState now) {
    if (now == TSocketState::wsOpened) s->Close();
  };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(nettest::ClosedPort());
  socket->Connect();
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(socket->LastError, 10022);
  EXPECT_EQ(socket->State(), TSocketState::wsClosed);
}

TEST(NetSocket, ListenAcceptAndDupMakeAServer) {
  auto server = forms::NewUnowned<TNetSocket>("");
  auto served = forms::NewUnowned<TNetSocket>("");
  auto client = forms::NewUnowned<TNetSocket>("");
  server->SetAddr("127.0.0.1");
  server->SetPort("0");
  server->Listen();
  ASSERT_EQ(server->State(), TSocketState::wsListening);
  std::string port = server->LocalPortText();
  ASSERT_NE(port, "error");
  ASSERT_NE(port, "0");
  server->OnSessionAvailable = [&](TCustomNetSocket* s, std::uint16_t) { served->Dup(s->Accept()); };
  std::string atServer;
  served->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) { atServer += s->ReceiveText(); };
  std::string atClient;
  client->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) { atClient += s->ReceiveText(); };
  client->OnSessionConnected = [](TCustomNetSocket* s, std::uint16_t e) {
    if (e == 0) s->SendText("ping");
  };
  client->SetAddr("127.0.0.1");
  client->SetPort(port);
  client->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return atServer == "ping"; }));
  EXPECT_EQ(served->State(), TSocketState::wsConnected);
  served->SendText("pong");
  ASSERT_TRUE(nettest::PumpUntil([&] { return atClient == "pong"; }));
  bool clientClosed = false;
  client->OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t) { clientClosed = true; };
  served->Close();
  EXPECT_TRUE(nettest::PumpUntil([&] { return clientClosed; }));
}

TEST(NetSocket, DatagramsBetweenTwoSockets) {
  auto receiver = forms::NewUnowned<TNetSocket>("");
  auto sender = forms::NewUnowned<TNetSocket>("");
  receiver->SetProto("udp");
  receiver->SetAddr("127.0.0.1");
  receiver->SetPort("0");
  receiver->Listen();
  ASSERT_EQ(receiver->State(), TSocketState::wsConnected);
  std::string got;
  receiver->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) {
    char buffer[256];
    int n = s->ReceiveDatagram(buffer, sizeof buffer, nullptr);
    if (n > 0) got.assign(buffer, static_cast<std::size_t>(n));
  };
  sender->SetProto("udp");
  sender->SetAddr("127.0.0.1");
  sender->SetPort(receiver->LocalPortText());
  sender->Connect();
  ASSERT_EQ(sender->State(), TSocketState::wsConnected);
  sender->SendText("datagram");
  ASSERT_TRUE(nettest::PumpUntil([&] { return !got.empty(); }));
  EXPECT_EQ(got, "datagram");
}

TEST(NetSocket, FreedInsideItsOwnEvents) {
  // Freed from the close event while the component's own code is below it.
  nettest::LoopbackPeer peer([](SOCKET client) { nettest::SendAll(client, "bye"); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  bool freed = false;
  socket->OnDataAvailable = [](TCustomNetSocket* s, std::uint16_t) { s->ReceiveText(); };
  socket->OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t) {
    socket.reset();
    freed = true;
  };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return freed; }));
  nettest::PumpFor(100);

  // Freed by its owner from the data event, with more events queued.
  nettest::LoopbackPeer second([](SOCKET client) {
    nettest::SendAll(client, std::string(200000, 'x'));
  });
  forms::TComponent owner(nullptr);
  auto* owned = forms::New<TNetSocket>(&owner, "Owned");
  bool gone = false;
  owned->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) {
    owner.DeleteComponent(s);
    gone = true;
  };
  owned->SetAddr("127.0.0.1");
  owned->SetPort(second.PortText());
  owned->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return gone; }));
  EXPECT_EQ(owner.ComponentCount(), 0u);
  nettest::PumpFor(200);

  // Released later: the socket stays usable until its event returns.
  auto later = forms::NewUnowned<TNetSocket>("");
  TCustomNetSocket* raw = later.get();
  TCustomNetSocket::ReleaseLater(std::move(later));
  raw->DnsLookup("127.0.0.1");
  EXPECT_EQ(raw->DnsResult(), "127.0.0.1");
  nettest::PumpFor(100);
}

TEST(NetSocket, WaitsEndOnTheFlagATimeOutOrAQuitThatSurvives) {
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->MultiThreaded = true;
  bool done = false;
  socket->OnDnsLookupDone = [&](TCustomNetSocket*, std::uint16_t) { done = true; };
  EXPECT_EQ(socket->RunThenWait(done, [&] { socket->DnsLookup("localhost"); }), 0);
  EXPECT_EQ(socket->DnsResult(), "127.0.0.1");

  bool never = false;
  socket->Timeout = 300;
  EXPECT_EQ(socket->WaitForFlag(never), TNetSocket::kWaitFailed);
  EXPECT_FALSE(never);
  EXPECT_FALSE(socket->Terminated()) << "ended by the time-out, not by a quit";

  socket->Timeout = 0;
  PostQuitMessage(7);
  EXPECT_EQ(socket->WaitForFlag(never), TNetSocket::kWaitFailed);
  EXPECT_TRUE(socket->Terminated());
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit request was swallowed";
  EXPECT_EQ(msg.wParam, 7u);
}

TEST(NetSocket, BackgroundErrorAbortsUnlessTheHandlerKeepsTheSocket) {
  nettest::LoopbackPeer peer([](SOCKET client) { nettest::ReadAll(client, 1); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  bool connected = false;
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return connected; }));
  std::string seen;
  socket->OnBgException = [&](TCustomNetSocket*, const sv::Exception& e, bool& canClose) {
    seen = e.Message();
    canClose = false;
  };
  PostMessageW(sv::net::detail::SocketWindow(), sv::net::kMsgTestException, static_cast<WPARAM>(socket->Id()), 0);
  ASSERT_TRUE(nettest::PumpUntil([&] { return !seen.empty(); }));
  EXPECT_EQ(seen, "Test exception in NetSocket");
  EXPECT_EQ(socket->State(), TSocketState::wsConnected);
  socket->OnBgException = nullptr;
  PostMessageW(sv::net::detail::SocketWindow(), sv::net::kMsgTestException, static_cast<WPARAM>(socket->Id()), 0);
  ASSERT_TRUE(nettest::PumpUntil([&] { return socket->State() == TSocketState::wsClosed; }));
}

}  // namespace
