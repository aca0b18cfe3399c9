// The socket component's less used members against real loopback peers:
// send flags, multicast, raw listening, the address records and time
// values, moving a socket between threads, and a lookup that completes
// before its start returns.
#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "forms/Component.h"
#include "net/win32/LineNetSocket.h"
#include "net/win32/SocketWindow.h"
#include "net/win32/WinsockApi.h"
#include "tests/net/win32/Peer.h"

namespace {

using sv::net::ESocketException;
using sv::net::TCustomNetSocket;
using sv::net::TNetSocket;
using sv::net::TSocketSendFlags;
using sv::net::TSocketState;

// The refusal text of an operation on a socket without OnError, or "".
template <class Operation>
std::string Refusal(Operation&& operation) {
  try {
    operation();
  } catch (const ESocketException& e) {
    return e.Message();
  }
  return {};
}

TEST(NetSocketMembers, AClosedReportFromSendLetsTheNextConnectionReportItsClose) {
  nettest::LoopbackPeer first([](SOCKET client) { nettest::ReadAll(client, 1); });
  nettest::LoopbackPeer second([](SOCKET client) { nettest::SendAll(client, "bye"); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  std::vector<int> closes;
  std::string received;
  socket->OnError = [](TCustomNetSocket*) {};
  socket->OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t e) { closes.push_back(e); };
  socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) { received += s->ReceiveText(); };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(first.PortText());
  socket->Connect();
  ASSERT_EQ(socket->State(), TSocketState::wsConnecting);
  EXPECT_EQ(socket->Send("x", 1), -1);
  EXPECT_EQ(closes, std::vector<int>{10057});
  EXPECT_EQ(socket->State(), TSocketState::wsClosed);

  socket->SetAddr("127.0.0.1");
  socket->SetPort(second.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return closes.size() == 2; }));
  EXPECT_EQ(received, "bye");
  EXPECT_EQ(closes[1], 0);
}

TEST(NetSocketMembers, SendFlagsChangeOnlyOnAClosedSocket) {
  nettest::LoopbackPeer peer([](SOCKET client) { nettest::ReadAll(client, 1); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->SetSendFlags(TSocketSendFlags::wsSendUrgent);
  EXPECT_EQ(socket->SendFlags(), TSocketSendFlags::wsSendUrgent);
  EXPECT_EQ(Refusal([&] { socket->SetSendFlags(static_cast<TSocketSendFlags>(7)); }), "Invalid SendFlags");
  bool connected = false;
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return connected; }));
  EXPECT_EQ(Refusal([&] { socket->SetSendFlags(TSocketSendFlags::wsSendNormal); }),
            "Cannot change SendFlags if not closed");
  EXPECT_EQ(socket->SendFlags(), TSocketSendFlags::wsSendUrgent);
  socket->Close();
  socket->SetSendFlags(TSocketSendFlags::wsSendNormal);
  EXPECT_EQ(socket->SendFlags(), TSocketSendFlags::wsSendNormal);
}

// An IP-level option of a handle, read with the second library's numbering.
int IpOption(SOCKET handle, int name) {
  int value = 0;
  int length = sizeof value;
  if (getsockopt(handle, IPPROTO_IP, name, reinterpret_cast<char*>(&value), &length) != 0) return -1;
  return value;
}

TEST(NetSocketMembers, MultiCastSendingAndListening) {
  nettest::PeerWinsock winsock;
  auto sender = forms::NewUnowned<TNetSocket>("");
  sender->MultiCast = true;
  sender->MultiCastIpTTL = 4;
  sender->SetProto("udp");
  sender->SetAddr("239.255.42.99");
  sender->SetPort("5000");
  sender->SetLocalAddr("127.0.0.1");
  sender->Connect();
  ASSERT_EQ(sender->State(), TSocketState::wsConnected);
  EXPECT_EQ(IpOption(sender->Handle(), IP_MULTICAST_TTL), 4);
  in_addr chosen{};
  int length = sizeof chosen;
  ASSERT_EQ(getsockopt(sender->Handle(), IPPROTO_IP, IP_MULTICAST_IF, reinterpret_cast<char*>(&chosen), &length), 0);
  EXPECT_EQ(chosen.s_addr, htonl(INADDR_LOOPBACK));

  auto listener = forms::NewUnowned<TNetSocket>("");
  listener->MultiCast = true;
  listener->MultiCastAddrStr = "239.255.42.99";
  listener->ReuseAddr = true;
  listener->SetProto("udp");
  listener->SetAddr("127.0.0.1");
  listener->SetPort("0");
  const std::string refused = Refusal([&] { listener->Listen(); });
  if (refused.find("IP_ADD_MEMBERSHIP") != std::string::npos)
    GTEST_SKIP() << "this host's loopback interface takes no group membership: " << refused;
  ASSERT_EQ(refused, "");
  EXPECT_EQ(listener->State(), TSocketState::wsConnected);
  // The group is joined: joining it again on that interface is refused.
  ip_mreq again{};
  again.imr_multiaddr.s_addr = inet_addr("239.255.42.99");
  again.imr_interface.s_addr = htonl(INADDR_LOOPBACK);
  EXPECT_NE(setsockopt(listener->Handle(), IPPROTO_IP, IP_ADD_MEMBERSHIP, reinterpret_cast<const char*>(&again),
                       sizeof again),
            0);
}

TEST(NetSocketMembers, RawListeningTakesTheProtocolAfterItsPrefix) {
  nettest::PeerWinsock winsock;
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->SetProto("RAW_icmp");
  socket->SetAddr("127.0.0.1");
  socket->SetPort("0");
  bool connected = false;
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  const std::string refused = Refusal([&] { socket->Listen(); });
  if (refused.rfind("Error 10013 in function socket", 0) == 0)
    GTEST_SKIP() << "raw sockets need administrator rights here";
  ASSERT_EQ(refused, "");
  EXPECT_EQ(socket->State(), TSocketState::wsConnected);
  EXPECT_TRUE(connected);
  int type = 0;
  int length = sizeof type;
  ASSERT_EQ(getsockopt(socket->Handle(), SOL_SOCKET, SO_TYPE, reinterpret_cast<char*>(&type), &length), 0);
  EXPECT_EQ(type, SOCK_RAW);
  socket->Close();

  // Receiving everything the interface sees is asked for when wanted; the
  // refusal, when the host gives none, names the call.
  socket->ComponentOptions.Include(sv::net::TNetSocketOption::wsoSIO_RCVALL);
  socket->SetProto("raw_1");
  socket->SetAddr("127.0.0.1");
  socket->SetPort("0");
  const std::string all = Refusal([&] { socket->Listen(); });
  if (!all.empty()) EXPECT_NE(all.find("in function WSAIoctl(SIO_RCVALL)"), std::string::npos) << all;
  else EXPECT_EQ(socket->State(), TSocketState::wsConnected);
}

TEST(NetSocketMembers, AddressRecordsAndTimeValues) {
  nettest::LoopbackPeer peer([](SOCKET client) { nettest::ReadAll(client, 1); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  sockaddr_in address{};
  int length = sizeof address;
  EXPECT_EQ(socket->PeerSockAddr(reinterpret_cast<sockaddr*>(&address), length), -1);
  EXPECT_EQ(socket->LocalSockAddr(reinterpret_cast<sockaddr*>(&address), length), -1);
  bool connected = false;
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return connected; }));
  length = sizeof address;
  ASSERT_EQ(socket->PeerSockAddr(reinterpret_cast<sockaddr*>(&address), length), 0);
  EXPECT_EQ(length, static_cast<int>(sizeof address));
  EXPECT_EQ(address.sin_family, AF_INET);
  EXPECT_EQ(std::to_string(sv::net::NetToHost16(address.sin_port)), peer.PortText());
  EXPECT_EQ(address.sin_addr.s_addr, sv::net::HostToNet32(INADDR_LOOPBACK));
  length = sizeof address;
  ASSERT_EQ(socket->LocalSockAddr(reinterpret_cast<sockaddr*>(&address), length), 0);
  EXPECT_EQ(std::to_string(sv::net::NetToHost16(address.sin_port)), socket->LocalPortText());
  socket->Close();

  timeval a{0, 0};
  timeval b{1, 0};
  timeval c{0, 5};
  EXPECT_FALSE(TCustomNetSocket::IsTimevalNonZero(a));
  EXPECT_TRUE(TCustomNetSocket::IsTimevalNonZero(b));
  EXPECT_TRUE(TCustomNetSocket::IsTimevalNonZero(c));
  EXPECT_TRUE(TCustomNetSocket::SameTimeval(a, a));
  EXPECT_FALSE(TCustomNetSocket::SameTimeval(b, c));
  EXPECT_TRUE(TCustomNetSocket::SameTimeval(b, c, false));
  EXPECT_FALSE(TCustomNetSocket::SameTimeval(c, c, false));
  TCustomNetSocket::ZeroTimeval(c);
  EXPECT_TRUE(TCustomNetSocket::SameTimeval(a, c));
}

TEST(NetSocketMembers, ASocketMovesToAnotherThreadAndBack) {
  std::atomic<bool> moved{false};
  nettest::LoopbackPeer peer([&](SOCKET client) {
    // Speaks only once the socket lives on the other thread.
    for (int i = 0; i < 3000 && !moved; ++i) Sleep(10);
    nettest::SendAll(client, "there");
    nettest::ReadAll(client, 1);
  });
  auto socket = forms::NewUnowned<TNetSocket>("");
  bool connected = false;
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return connected; }));
  EXPECT_EQ(Refusal([&] { socket->AttachWindow(); }), "Cannot attach when not detached");

  std::string received;
  DWORD deliveredOn = 0;
  std::string wrongThread;
  std::thread worker([&] {
    wrongThread = Refusal([&] { socket->DetachWindow(); });
  });
  worker.join();
  EXPECT_EQ(wrongThread, "Cannot detach from other thread");

  socket->DetachWindow();
  EXPECT_EQ(Refusal([&] { socket->DnsLookup("localhost"); }), "DnsLookup: Window not assigned");
  bool workerSaw = false;
  std::atomic<DWORD> otherId{0};
  std::thread other([&] {
    otherId = GetCurrentThreadId();
    socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) {
      received += s->ReceiveText();
      deliveredOn = GetCurrentThreadId();
    };
    socket->AttachWindow();
    moved = true;
    workerSaw = nettest::PumpUntil([&] { return received == "there"; });
    socket->DetachWindow();
  });
  other.join();
  EXPECT_TRUE(workerSaw);
  EXPECT_EQ(received, "there");
  EXPECT_EQ(deliveredOn, otherId.load());

  socket->AttachWindow();
  bool closed = false;
  socket->OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t) { closed = true; };
  socket->CloseDelayed();
  ASSERT_TRUE(nettest::PumpUntil([&] { return closed; }));
  EXPECT_EQ(socket->State(), TSocketState::wsClosed);
}

using LookupStart = HANDLE(WSAAPI*)(HWND, u_int, const char*, char*, int);

// Starts the real lookup, then serves its completion before returning the
// handle, as a library that answers at once may do.
HANDLE WSAAPI LookupThatCompletesFirst(HWND window, u_int message, const char* name, char* buffer, int length) {
  auto real = reinterpret_cast<LookupStart>(sv::net::LoadWinsockFunction("WSAAsyncGetHostByName"));
  HANDLE task = real(window, message, name, buffer, length);
  MSG msg;
  for (int i = 0; i < 1000 && !PeekMessageW(&msg, window, message, message, PM_REMOVE); ++i)
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_POSTMESSAGE);
  if (msg.message == message) DispatchMessageW(&msg);
  return task;
}

TEST(NetSocketMembers, ALookupCompletingBeforeItsStartReturnsIsServed) {
  auto socket = forms::NewUnowned<TNetSocket>("");
  std::vector<int> done;
  socket->OnDnsLookupDone = [&](TCustomNetSocket*, std::uint16_t e) { done.push_back(e); };
  sv::net::ReplaceWinsockFunctionForTesting("WSAAsyncGetHostByName",
                                            reinterpret_cast<void*>(&LookupThatCompletesFirst));
  socket->DnsLookup("localhost");
  sv::net::ReplaceWinsockFunctionForTesting("WSAAsyncGetHostByName", nullptr);
  EXPECT_EQ(done, std::vector<int>{0});
  EXPECT_EQ(socket->DnsResult(), "127.0.0.1");
  EXPECT_EQ(socket->DnsTask(), nullptr);
  nettest::PumpFor(100);
  EXPECT_EQ(done.size(), 1u);
}

}  // namespace
