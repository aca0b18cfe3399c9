// The socket's data path: queued sending against a slow reader, line mode
// and draining.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "net/win32/LineNetSocket.h"
#include "tests/net/win32/Peer.h"

namespace {

using sv::net::TCustomNetSocket;
using sv::net::TNetSocket;

TEST(SocketData, LargeSendAgainstASlowReader) {
  // More than the loopback connection can hold in its kernel buffers, so
  // that part of it must wait in the socket's own queue.
  const std::size_t total = 32u << 20;
  std::string payload(total, '\0');
  for (std::size_t i = 0; i < total; ++i) payload[i] = static_cast<char>((i * 2654435761u) >> 13);
  std::string atPeer;
  std::atomic<bool> sendReturned{false};
  nettest::LoopbackPeer peer([&](SOCKET client) {
    // Reads only once the send call has returned, however slowly a loaded
    // machine gets there: the sender's buffers are full by then.
    for (int waited = 0; !sendReturned && waited < 30000; waited += 10) Sleep(10);
    atPeer = nettest::ReadAll(client, total, 1);
  });
  auto socket = forms::NewUnowned<TNetSocket>("");
  bool insideSend = false;
  bool sentInsideSend = false;
  long long reported = 0;
  int accepted = 0;
  std::int64_t queuedAfterSend = 0;
  socket->OnSendData = [&](TCustomNetSocket*, int bytes) { reported += bytes; };
  socket->OnDataSent = [&](TCustomNetSocket*, std::uint16_t) { sentInsideSend |= insideSend; };
  socket->OnSessionConnected = [&](TCustomNetSocket* s, std::uint16_t e) {
    if (e != 0) return;
    insideSend = true;
    accepted = s->Send(payload.data(), static_cast<int>(payload.size()));
    insideSend = false;
    queuedAfterSend = s->BufferedCount();
    sendReturned = true;
  };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return peer.Finished(); }, 60000));
  EXPECT_EQ(accepted, static_cast<int>(total));
  EXPECT_GT(queuedAfterSend, 0) << "the reader was not slow enough to make the sender wait";
  EXPECT_EQ(atPeer.size(), total);
  EXPECT_TRUE(atPeer == payload) << "the byte stream arrived changed";
  EXPECT_EQ(reported, static_cast<long long>(total));
  EXPECT_FALSE(sentInsideSend);
  EXPECT_TRUE(socket->AllSent());
}

TEST(SocketData, DataSentFollowsAnEmptySendLater) {
  nettest::LoopbackPeer peer([](SOCKET client) { nettest::ReadAll(client, 1); });
  auto socket = forms::NewUnowned<TNetSocket>("");
  bool connected = false;
  int dataSent = 0;
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  socket->OnDataSent = [&](TCustomNetSocket*, std::uint16_t) { ++dataSent; };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return connected; }));
  nettest::PumpFor(100);
  int before = dataSent;
  EXPECT_EQ(socket->Send(nullptr, 0), 0);
  EXPECT_EQ(dataSent, before);
  ASSERT_TRUE(nettest::PumpUntil([&] { return dataSent > before; }));
  socket->Close();
}

// Lets a peer thread wait until the socket has read a number of bytes.
struct ReadGate {
  std::atomic<std::int64_t> read{0};
  bool WaitFor(std::int64_t count) const {
    for (int i = 0; i < 6000 && read < count; ++i) Sleep(10);
    return read >= count;
  }
};

TEST(SocketData, LineModeJoinsSplitLineEnds) {
  // Each piece goes out only once the one before was read, so the line end
  // really arrives split.
  ReadGate gate;
  nettest::LoopbackPeer peer([&](SOCKET client) {
    nettest::SendAll(client, "abc");
    if (!gate.WaitFor(3)) return;
    nettest::SendAll(client, "\r");
    if (!gate.WaitFor(4)) return;
    nettest::SendAll(client, "\ndef\r\nghi");
  });
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->SetLineMode(true);
  std::vector<std::string> lines;
  bool closed = false;
  socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) {
    std::string line = s->ReceiveText();
    if (!line.empty()) lines.push_back(line);
  };
  socket->OnSessionClosed = [&](TCustomNetSocket*, std::uint16_t) { closed = true; };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] {
    gate.read = socket->ReadCount();
    return closed;
  }, 60000));
  std::vector<std::string> expected = {"abc\r\n", "def\r\n", "ghi"};
  EXPECT_EQ(lines, expected);
}

TEST(SocketData, EditedLinesWithEcho) {
  std::string echoed;
  nettest::LoopbackPeer peer([&](SOCKET client) {
    nettest::SendAll(client, "ab\bc\td\r\n");
    echoed = nettest::ReadAll(client, 16);
  });
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->SetLineMode(true);
  socket->LineEdit = true;
  socket->LineEcho = true;
  std::vector<std::string> lines;
  socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) {
    lines.push_back(s->ReceiveText());
    s->CloseDelayed();
  };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return peer.Finished(); }));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], "ac      d\r\n");
  EXPECT_EQ(echoed, "ab\b \bc      d\r\n");
}

TEST(SocketData, DrainUntilClosedDeliversEverything) {
  nettest::LoopbackPeer peer([](SOCKET client) {
    nettest::SendAll(client, "one");
    Sleep(100);
    nettest::SendAll(client, "two");
    Sleep(100);
  });
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->MultiThreaded = true;
  std::string received;
  bool connected = false;
  socket->OnSessionConnected = [&](TCustomNetSocket*, std::uint16_t e) { connected = e == 0; };
  socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) { received += s->ReceiveText(); };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return connected; }));
  socket->DrainUntilClosed();
  EXPECT_EQ(received, "onetwo");
  EXPECT_EQ(socket->State(), sv::net::TSocketState::wsClosed);
}

TEST(SocketData, LineLimitDropsAnEndlessLine) {
  std::atomic<bool> dropped{false};
  nettest::LoopbackPeer peer([&](SOCKET client) {
    nettest::SendAll(client, std::string(65537, 'x'));
    // The endless line is dropped before its end arrives.
    for (int i = 0; i < 6000 && !dropped; ++i) Sleep(10);
    nettest::SendAll(client, "\r\nnext\r\n");
    nettest::ReadAll(client, 1);
  });
  auto socket = forms::NewUnowned<TNetSocket>("");
  socket->SetLineMode(true);
  std::vector<int> exceeded;
  std::vector<std::string> lines;
  socket->OnLineLimitExceeded = [&](TCustomNetSocket*, int length, bool&) {
    exceeded.push_back(length);
    dropped = true;
  };
  socket->OnDataAvailable = [&](TCustomNetSocket* s, std::uint16_t) { lines.push_back(s->ReceiveText()); };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return !lines.empty() && lines.back() == "next\r\n"; }));
  ASSERT_EQ(exceeded.size(), 1u);
  EXPECT_EQ(exceeded[0], 65537);
  // The dropped bytes never reach the reader; only the tail of that line does.
  EXPECT_EQ(lines.front(), "\r\n");
  EXPECT_EQ(socket->SendTextLine("hello"), 7);
  socket->Close();
}

}  // namespace
