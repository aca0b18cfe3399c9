// The trace logger's destinations, and that its failures stay inside.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "forms/Component.h"
#include "net/win32/LineNetSocket.h"
#include "net/win32/NetLogger.h"
#include "tests/net/win32/Peer.h"
#include "tests/support/TempFolder.h"

namespace {

using sv::net::TLogOption;
using sv::net::TNetLogger;

TEST(NetLogger, FileLinesCarryTheTimeOfDay) {
  svtest::TempFolder folder;
  auto logger = forms::NewUnowned<TNetLogger>("");
  logger->SetLogOptions({TLogOption::loDestFile, TLogOption::loAddStamp});
  logger->SetLogFileName(svtest::PathToUtf8(folder / "one.log"));
  logger->DoDebugLog(nullptr, TLogOption::loWsockInfo, "abc");
  logger.reset();
  auto text = folder.Read("one.log");
  ASSERT_TRUE(text);
  EXPECT_TRUE(std::regex_match(*text, std::regex(R"(\d\d:\d\d:\d\d:\d\d\d abc\r\n)"))) << *text;
}

TEST(NetLogger, NameChangeMovesOutputAndOverwriteEmptiesOnce) {
  svtest::TempFolder folder;
  folder.Write("two.log", "old text\r\n");
  auto logger = forms::NewUnowned<TNetLogger>("");
  logger->SetLogOptions({TLogOption::loDestFile});
  logger->SetLogFileName(svtest::PathToUtf8(folder / "one.log"));
  logger->DoDebugLog(nullptr, TLogOption::loWsockInfo, "first");
  logger->SetLogFileOption(sv::net::TLogFileOption::lfoOverwrite);
  logger->SetLogFileName(svtest::PathToUtf8(folder / "two.log"));
  logger->DoDebugLog(nullptr, TLogOption::loWsockInfo, "second");
  logger->DoDebugLog(nullptr, TLogOption::loWsockInfo, "third");
  logger.reset();
  EXPECT_EQ(folder.Read("one.log").value_or(""), "first\r\n");
  EXPECT_EQ(folder.Read("two.log").value_or(""), "second\r\nthird\r\n");
}

TEST(NetLogger, AppendKeepsEarlierText) {
  svtest::TempFolder folder;
  folder.Write("a.log", "kept\r\n");
  auto logger = forms::NewUnowned<TNetLogger>("");
  logger->SetLogOptions({TLogOption::loDestFile});
  logger->SetLogFileName(svtest::PathToUtf8(folder / "a.log"));
  logger->DoDebugLog(nullptr, TLogOption::loWsockInfo, "added");
  logger.reset();
  EXPECT_EQ(folder.Read("a.log").value_or(""), "kept\r\nadded\r\n");
}

TEST(NetLogger, EventDestinationAndEmptyFileName) {
  auto logger = forms::NewUnowned<TNetLogger>("");
  std::vector<std::string> seen;
  forms::TComponent* from = nullptr;
  logger->SetOnNetLogEvent([&](forms::TComponent* sender, TLogOption option, const std::string& msg) {
    from = sender;
    seen.push_back(std::to_string(static_cast<int>(option)) + " " + msg);
  });
  logger->SetLogOptions({TLogOption::loDestEvent, TLogOption::loDestOutDebug});
  logger->DoDebugLog(logger.get(), TLogOption::loProtSpecInfo, "line");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "11 line");
  EXPECT_EQ(from, logger.get());

  logger->SetLogOptions({TLogOption::loDestFile});
  try {
    logger->DoDebugLog(nullptr, TLogOption::loWsockInfo, "x");
    ADD_FAILURE() << "an empty file name must raise";
  } catch (const sv::net::ELoggerException& e) {
    EXPECT_EQ(e.Message(), "File name empty");
  }
}

TEST(NetLogger, SocketTracesReachTheLoggerAndItsFailuresStayInside) {
  nettest::LoopbackPeer peer([](SOCKET client) { nettest::SendAll(client, "x"); });
  auto logger = forms::NewUnowned<TNetLogger>("");
  std::vector<std::string> seen;
  logger->SetOnNetLogEvent(
      [&](forms::TComponent*, TLogOption, const std::string& msg) { seen.push_back(msg); });
  // The file destination has no name: every line fails there.
  logger->SetLogOptions({TLogOption::loDestEvent, TLogOption::loDestFile, TLogOption::loWsockInfo,
                         TLogOption::loWsockDump});
  auto socket = forms::NewUnowned<sv::net::TNetSocket>("");
  socket->SetNetLogger(logger.get());
  bool closed = false;
  socket->OnDataAvailable = [](sv::net::TCustomNetSocket* s, std::uint16_t) { s->ReceiveText(); };
  socket->OnSessionClosed = [&](sv::net::TCustomNetSocket*, std::uint16_t) { closed = true; };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  EXPECT_NO_THROW(socket->Connect());
  ASSERT_TRUE(nettest::PumpUntil([&] { return closed; }));
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0], "TNetSocket will connect to 127.0.0.1:" + peer.PortText());
  bool dump = false;
  for (const auto& line : seen) dump |= line.rfind("AsyncSelect CtrlSocket", 0) == 0;
  EXPECT_TRUE(dump);
  logger.reset();
  EXPECT_EQ(socket->NetLogger(), nullptr) << "a freed logger is forgotten";
}

TEST(NetLogger, AnEventHandlerMayFreeTheLoggerOrTheTracedSocket) {
  svtest::TempFolder folder;
  auto logger = forms::NewUnowned<TNetLogger>("");
  logger->SetLogOptions({TLogOption::loDestEvent, TLogOption::loDestFile});
  logger->SetLogFileName(svtest::PathToUtf8(folder / "gone.log"));
  logger->SetOnNetLogEvent([&](forms::TComponent*, TLogOption, const std::string&) { logger.reset(); });
  TNetLogger* raw = logger.get();
  raw->DoDebugLog(nullptr, TLogOption::loWsockInfo, "last");
  EXPECT_EQ(logger, nullptr);
  // The line ended with the logger: no file was opened for it.
  EXPECT_FALSE(folder.Read("gone.log"));

  nettest::LoopbackPeer peer([](SOCKET client) {
    nettest::SendAll(client, "x");
    nettest::ReadAll(client, 1);
  });
  auto tracer = forms::NewUnowned<TNetLogger>("");
  auto socket = forms::NewUnowned<sv::net::TNetSocket>("");
  tracer->SetLogOptions({TLogOption::loDestEvent, TLogOption::loWsockDump});
  int afterFree = 0;
  tracer->SetOnNetLogEvent([&](forms::TComponent*, TLogOption, const std::string& msg) {
    if (!socket) ++afterFree;
    if (msg.find("FD_READ") != std::string::npos) socket.reset();
  });
  socket->SetNetLogger(tracer.get());
  socket->OnDataAvailable = [&](sv::net::TCustomNetSocket* s, std::uint16_t) { s->ReceiveText(); };
  socket->SetAddr("127.0.0.1");
  socket->SetPort(peer.PortText());
  socket->Connect();
  ASSERT_TRUE(nettest::PumpUntil([&] { return !socket; }));
  nettest::PumpFor(100);
  EXPECT_EQ(afterFree, 0);
}

}  // namespace
