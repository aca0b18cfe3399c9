// THttpClient's request kinds, conditional and partial requests, the events
// around a request, and the asynchronous interface, against scripted
// loopback peers.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "net/win32/HttpClient.h"
#include "tests/net/win32/HttpPeer.h"
#include "tests/net/win32/Peer.h"
#include "tests/net/win32/SocksPeer.h"

namespace {

using nettest::HttpPeer;
using nettest::PumpUntil;
using nettest::SendAll;
using sv::net::EHttpException;
using sv::net::StringByteStream;
using sv::net::THttpClient;
using sv::net::THttpRequest;
using sv::net::THttpState;

struct RequestFixture : ::testing::Test {
  std::unique_ptr<THttpClient> client = std::make_unique<THttpClient>(nullptr);
  StringByteStream received;
  void SetUp() override {
    client->ReceiveStream = &received;
    client->IdleTimeout = 5000;
    client->TotalTimeout = 15000;
  }
};

// The header line that starts with name, without its CR LF; empty if none.
std::string HeaderLine(const std::string& request, const std::string& name) {
  const std::size_t at = request.find("\r\n" + name);
  if (at == std::string::npos) return {};
  return request.substr(at + 2, request.find("\r\n", at + 2) - at - 2);
}

TEST_F(RequestFixture, PutSendsTheStreamAndOnlyRecordsTheLocation) {
  StringByteStream sent("new contents");
  HttpPeer server([&](int, SOCKET peer) {
    if (!server.ReadRequest(peer).empty())
      SendAll(peer, "HTTP/1.0 201 Created\r\nLocation: /stored/doc\r\nContent-Length: 0\r\n\r\n");
  });
  client->URL = server.Url("/doc");
  client->SendStream = &sent;
  client->Put();
  EXPECT_EQ(client->StatusCode(), 201);
  EXPECT_EQ(client->Location(), "/stored/doc");
  EXPECT_EQ(client->RequestType(), static_cast<int>(THttpRequest::httpPUT));
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string request = server.Requests()[0];
  EXPECT_EQ(request.substr(0, request.find("\r\n")), "PUT /doc HTTP/1.0");
  EXPECT_EQ(HeaderLine(request, "Content-Type:"), "Content-Type: application/x-www-form-urlencoded");
  EXPECT_EQ(HeaderLine(request, "Content-Length:"), "Content-Length: 12");
  EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), "new contents");
  EXPECT_EQ(server.Accepts(), 1);

  client->SendStream = nullptr;
  try {
    client->Put();
    ADD_FAILURE() << "a PUT without stream was started";
  } catch (const EHttpException& e) {
    EXPECT_EQ(e.ErrCode, 2);
  }
}

TEST_F(RequestFixture, CloseEndsAKeptConnection) {
  std::atomic<bool> closedByClient{false};
  HttpPeer server([&](int, SOCKET peer) {
    if (server.ReadRequest(peer).empty()) return;
    SendAll(peer, "HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 2\r\n\r\nok");
    closedByClient = server.ReadRequest(peer).empty();
  });
  client->URL = server.Url("/a");
  client->Get();
  client->DoRequestSync(THttpRequest::httpCLOSE);
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(client->ReasonPhrase(), "OK");
  EXPECT_EQ(client->State(), THttpState::httpReady);
  ASSERT_TRUE(PumpUntil([&] { return server.Accepts() == 1 && closedByClient.load(); }, 7000));
  // Nothing left to close: done at once.
  client->DoRequestSync(THttpRequest::httpCLOSE);
  EXPECT_EQ(client->StatusCode(), 200);
  client->Get();
  EXPECT_EQ(server.Accepts(), 2);
}

TEST_F(RequestFixture, ConditionalAndRangeRequests) {
  HttpPeer server([&](int index, SOCKET peer) {
    if (server.ReadRequest(peer).empty()) return;
    if (index == 0)
      SendAll(peer, "HTTP/1.0 206 Partial\r\nContent-Range: bytes 100-104/1000\r\nAccept-Ranges: bytes\r\n"
                    "Content-Length: 5\r\n\r\nabcde");
    else
      SendAll(peer, "HTTP/1.0 304 Not Modified\r\n\r\n");
  });
  client->URL = server.Url("/big");
  client->ModifiedSince = sv::net::CivilDateTime{2026, 12, 9, 6, 5, 4};
  client->ContentRangeBegin = "100";
  client->Get();
  const std::string first = server.Requests().at(0);
  EXPECT_EQ(HeaderLine(first, "If-Modified-Since:"), "If-Modified-Since: Wed, 09 Dec 2026 06:05:04 GMT");
  EXPECT_EQ(HeaderLine(first, "Range:"), "Range: bytes=100-");
  // The reply's range replaces the one that was sent.
  EXPECT_EQ(client->ContentRangeBegin, "100");
  EXPECT_EQ(client->ContentRangeEnd, "104");
  EXPECT_EQ(client->AcceptRanges(), "bytes");
  EXPECT_EQ(received.Data(), "abcde");

  client->ContentRangeBegin.clear();
  client->ContentRangeEnd = "50";
  client->ModifiedSince.reset();
  client->Get();
  EXPECT_EQ(client->StatusCode(), 304);
  const std::string second = server.Requests().at(1);
  EXPECT_EQ(HeaderLine(second, "Range:"), "Range: bytes=-50");
  EXPECT_EQ(HeaderLine(second, "If-Modified-Since:"), "");
  EXPECT_EQ(client->ContentRangeEnd, "");
  EXPECT_EQ(client->AcceptRanges(), "");
}

TEST_F(RequestFixture, EventsFollowTheRequestAndHandlersShapeTheHeader) {
  std::string body(20000, 'p');
  StringByteStream sent(body);
  HttpPeer server([&](int, SOCKET peer) {
    if (!server.ReadRequest(peer).empty()) SendAll(peer, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
  });
  std::vector<std::string> seen;
  auto note = [&](const char* name) { return [&seen, name](THttpClient*) { seen.push_back(name); }; };
  client->OnSessionConnected = note("SessionConnected");
  client->OnRequestHeaderBegin = note("RequestHeaderBegin");
  client->OnRequestHeaderEnd = note("RequestHeaderEnd");
  client->OnSendBegin = note("SendBegin");
  client->OnSendEnd = note("SendEnd");
  client->OnHeaderBegin = note("HeaderBegin");
  client->OnHeaderEnd = note("HeaderEnd");
  client->OnDocBegin = note("DocBegin");
  client->OnDocEnd = note("DocEnd");
  client->OnSessionClosed = note("SessionClosed");
  std::size_t sentBytes = 0;
  client->OnSendData = [&](THttpClient*, const char*, std::size_t len) { sentBytes += len; };
  client->OnBeforeHeaderSend = [&](THttpClient*, const std::string& method, std::vector<std::string>& headers) {
    EXPECT_EQ(method, "POST");
    headers.push_back("X-Trace: 7");
  };
  int commands = 0;
  client->OnCommand = [&](THttpClient*, std::string& line) {
    ++commands;
    if (line.rfind("User-Agent:", 0) == 0) line = "User-Agent: test";
    if (line.rfind("Accept:", 0) == 0) line.clear();
  };
  client->URL = server.Url("/form");
  client->SendStream = &sent;
  client->Post();

  const std::vector<std::string> expected{"SessionConnected", "RequestHeaderBegin", "RequestHeaderEnd", "SendBegin",
                                          "SendEnd", "HeaderBegin", "HeaderEnd", "DocBegin", "DocEnd"};
  ASSERT_GE(seen.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + expected.size()), expected);
  EXPECT_EQ(sentBytes, body.size());
  const std::string request = server.Requests().at(0);
  EXPECT_EQ(HeaderLine(request, "User-Agent:"), "User-Agent: test");
  EXPECT_EQ(HeaderLine(request, "X-Trace:"), "X-Trace: 7");
  EXPECT_EQ(HeaderLine(request, "Accept:"), "");
  EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), body);
  // Request line, Accept, Content-Type, User-Agent, Host, Content-Length,
  // the added line and the blank line.
  EXPECT_EQ(commands, 8);
}

TEST_F(RequestFixture, ANonHttpFirstLineIsReported) {
  HttpPeer server([&](int, SOCKET peer) {
    if (!server.ReadRequest(peer).empty()) SendAll(peer, "ICY 200 OK\r\nX: 1\r\n\r\nbody");
  });
  int pushes = 0;
  client->OnDataPush2 = [&](THttpClient*) { ++pushes; };
  client->URL = server.Url("/");
  std::string error;
  try {
    client->Get();
  } catch (const EHttpException& e) {
    error = e.Message();
  }
  EXPECT_EQ(pushes, 1);
  // Such a reply is refused rather than read as a document.
  EXPECT_EQ(error, "invalid response status line");
}

TEST_F(RequestFixture, TraceLinesGoToTheAttachedLogger) {
  HttpPeer server([&](int, SOCKET peer) {
    if (!server.ReadRequest(peer).empty()) SendAll(peer, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok");
  });
  auto logger = std::make_unique<sv::net::TNetLogger>(nullptr);
  logger->SetLogOptions({sv::net::TLogOption::loDestEvent, sv::net::TLogOption::loProtSpecInfo});
  std::vector<std::string> lines;
  logger->SetOnNetLogEvent([&](forms::TComponent*, sv::net::TLogOption, const std::string& msg) {
    lines.push_back(msg);
  });
  auto has = [&](const std::string& text) {
    for (const std::string& line : lines)
      if (line.find(text) != std::string::npos) return true;
    return false;
  };
  client->SetNetLogger(logger.get());
  client->URL = server.Url("/t");
  client->Get();
  ASSERT_TRUE(PumpUntil([&] { return has("RequestDone"); }));
  EXPECT_TRUE(has("Login 127.0.0.1"));
  EXPECT_TRUE(has("connect to 127.0.0.1/" + server.PortText()));
  EXPECT_TRUE(has("State = httpWaitingHeader"));
  EXPECT_TRUE(has("header lines to send\r\nGET /t HTTP/1.0\r\n"));
  EXPECT_TRUE(has("DocEnd"));
  // Received header lines are a dump, which this logger does not take.
  EXPECT_FALSE(has("|HTTP/1.0 200 OK>|"));

  logger->SetLogOptions({sv::net::TLogOption::loDestEvent, sv::net::TLogOption::loProtSpecDump});
  lines.clear();
  client->Get();
  EXPECT_TRUE(has("|HTTP/1.0 200 OK>|"));
  EXPECT_FALSE(has("DocEnd"));

  // A freed logger is detached, not written to.
  logger.reset();
  EXPECT_EQ(client->NetLogger(), nullptr);
  client->Get();
  EXPECT_EQ(client->StatusCode(), 200);
}

TEST_F(RequestFixture, BandwidthControlPacesTheBody) {
  const std::string body(40000, 'b');
  HttpPeer server([&](int index, SOCKET peer) {
    if (index == 1) {
      // Ended by the close, which drains what the control still holds back.
      if (!server.ReadRequest(peer).empty()) SendAll(peer, "HTTP/1.0 200 OK\r\n\r\n" + body);
      return;
    }
    for (int i = 0; i < 2; ++i) {
      if (server.ReadRequest(peer).empty()) return;
      SendAll(peer, "HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 40000\r\n\r\n" + body);
    }
  });
  std::vector<std::size_t> pieces;
  client->OnDocData = [&](THttpClient*, const char*, std::size_t len) { pieces.push_back(len); };
  client->URL = server.Url("/slow");
  client->Options.Include(sv::net::THttpClientOption::httpoBandwidthControl);
  // 5000 bytes per 250 ms sample: no read takes more than one sample allows.
  client->BandwidthLimit = 20000;
  client->BandwidthSampling = 250;
  client->Get();
  EXPECT_EQ(received.Data(), body);
  EXPECT_GE(pieces.size(), 8u);
  EXPECT_LE(*std::max_element(pieces.begin(), pieces.end()), 5000u);

  // The kept connection is left running free for the next call.
  client->Options.Exclude(sv::net::THttpClientOption::httpoBandwidthControl);
  client->Get();
  EXPECT_EQ(received.Data(), body + body);
  EXPECT_EQ(server.Accepts(), 1);

  client->DoRequestSync(THttpRequest::httpCLOSE);
  client->Options.Include(sv::net::THttpClientOption::httpoBandwidthControl);
  pieces.clear();
  client->Get();
  EXPECT_EQ(received.Data(), body + body + body);
  EXPECT_EQ(server.Accepts(), 2);
  EXPECT_LE(*std::max_element(pieces.begin(), pieces.end()), 8190u);
}

TEST_F(RequestFixture, ConnectsThroughASocksServer) {
  // The SOCKS peer relays exactly the request's bytes and as many back.
  std::size_t requestSize = 0;
  HttpPeer server([&](int, SOCKET peer) {
    if (server.ReadRequest(peer).empty()) return;
    for (std::size_t length = 0;; ++length) {
      const std::string head = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
      if (head.size() + length == requestSize) {
        SendAll(peer, head + std::string(length, 's'));
        return;
      }
    }
  });
  const std::string request = "GET /s HTTP/1.0\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
                              "*/*\r\nUser-Agent: Mozilla/4.0 (compatible; Sorivanel)\r\nHost: 127.0.0.1:" +
                              server.PortText() + "\r\n\r\n";
  requestSize = request.size();
  nettest::SocksScenario scenario;
  scenario.relayPort = static_cast<std::uint16_t>(std::stoi(server.PortText()));
  scenario.relayBytes = request.size();
  nettest::SocksPeer socks(scenario);
  std::vector<std::uint16_t> granted;
  client->OnSocksConnected = [&](THttpClient*, std::uint16_t error) { granted.push_back(error); };
  client->URL = server.Url("/s");
  client->SocksServer = "127.0.0.1";
  client->SocksPort = socks.PortText();
  client->Get();
  EXPECT_EQ(granted, std::vector<std::uint16_t>{0});
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(received.Data(), std::string(static_cast<std::size_t>(client->ContentLength()), 's'));
  EXPECT_GT(client->ContentLength(), 0);
  ASSERT_TRUE(PumpUntil([&] { return socks.Finished(); }));
  // Greeting, then a connect request for the server's address and port.
  const std::string seen = socks.Seen();
  const std::string connect = nettest::Bytes({5, 1, 0, 3, 9}) + "127.0.0.1" + nettest::PortBytes(scenario.relayPort);
  EXPECT_EQ(seen.substr(0, 3), nettest::Bytes({5, 1, 0}));
  EXPECT_EQ(seen.substr(3, connect.size()), connect);
  EXPECT_EQ(seen.substr(3 + connect.size()), request);
}

struct Done {
  int count = 0;
  THttpRequest kind{};
  std::uint16_t error = 0;
};

void WatchDone(THttpClient& client, Done& done) {
  client.OnRequestDone = [&done](THttpClient*, THttpRequest kind, std::uint16_t error) {
    ++done.count;
    done.kind = kind;
    done.error = error;
  };
}

TEST_F(RequestFixture, AsyncRequestEndsWithRequestDone) {
  HttpPeer server([&](int, SOCKET peer) {
    if (!server.ReadRequest(peer).empty()) SendAll(peer, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello");
  });
  Done done;
  WatchDone(*client, done);
  client->URL = server.Url("/async");
  client->DoRequestAsync(THttpRequest::httpGET);
  EXPECT_NE(client->State(), THttpState::httpReady);
  EXPECT_EQ(done.count, 0);
  try {
    client->DoRequestAsync(THttpRequest::httpGET);
    ADD_FAILURE() << "a busy client took a second request";
  } catch (const EHttpException& e) {
    EXPECT_EQ(e.ErrCode, 1);
  }
  ASSERT_TRUE(PumpUntil([&] { return done.count > 0; }));
  EXPECT_EQ(done.kind, THttpRequest::httpGET);
  EXPECT_EQ(done.error, 0);
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(received.Data(), "hello");
  nettest::PumpFor(100);
  EXPECT_EQ(done.count, 1);
}

TEST_F(RequestFixture, ARequestStartedAsAFailureEndsTheLastOneRuns) {
  HttpPeer server([&](int index, SOCKET peer) {
    if (server.ReadRequest(peer).empty()) return;
    if (index == 0) {
      // A status line without status; the connection stays open.
      SendAll(peer, "HTTP/1.0 abc\r\n\r\n");
      nettest::ReadAll(peer, 1);
      return;
    }
    SendAll(peer, "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nnext");
  });
  Done done;
  WatchDone(*client, done);
  bool restarted = false;
  client->OnStateChange = [&](THttpClient* sender) {
    if (restarted || sender->State() != THttpState::httpReady) return;
    restarted = true;
    sender->URL = server.Url("/next");
    sender->DoRequestAsync(THttpRequest::httpGET);
  };
  client->URL = server.Url("/bad");
  client->DoRequestAsync(THttpRequest::httpGET);
  ASSERT_TRUE(PumpUntil([&] { return done.count == 2; }));
  EXPECT_TRUE(restarted);
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(received.Data(), "next");
  EXPECT_EQ(done.error, 0);
}

TEST_F(RequestFixture, AsyncFailuresCarryTheirErrorCode) {
  Done done;
  WatchDone(*client, done);
  client->URL = "http://127.0.0.1:" + nettest::ClosedPort() + "/";
  client->DoRequestAsync(THttpRequest::httpHEAD);
  ASSERT_TRUE(PumpUntil([&] { return done.count > 0; }));
  EXPECT_EQ(done.kind, THttpRequest::httpHEAD);
  EXPECT_EQ(done.error, 10061);
  EXPECT_EQ(client->StatusCode(), 404);

  // A silent server: the time-out runs without a blocking call pumping.
  HttpPeer server([&](int, SOCKET peer) {
    if (server.ReadRequest(peer).empty()) return;
    // Silent until the client gives up, however long that takes.
    DWORD patience = 120000;
    setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&patience), sizeof patience);
    nettest::ReadAll(peer, 1);
  });
  client->URL = server.Url("/silent");
  client->IdleTimeout = 400;
  done = Done{};
  client->DoRequestAsync(THttpRequest::httpGET);
  ASSERT_TRUE(PumpUntil([&] { return done.count > 0; }, 120000));
  EXPECT_EQ(done.error, 10060);

  // Aborted while waiting, and an abort when idle reports at once.
  client->IdleTimeout = 5000;
  done = Done{};
  client->DoRequestAsync(THttpRequest::httpGET);
  ASSERT_TRUE(PumpUntil([&] { return client->State() == THttpState::httpWaitingHeader; }));
  client->Abort();
  EXPECT_EQ(client->ReasonPhrase(), "Connection aborted on request");
  ASSERT_TRUE(PumpUntil([&] { return done.count > 0; }));
  EXPECT_EQ(done.error, 3);
  done = Done{};
  client->Abort();
  EXPECT_EQ(done.count, 1);
  EXPECT_EQ(done.error, 0);
  EXPECT_EQ(client->StatusCode(), 200);
}

TEST_F(RequestFixture, FreeingTheClientInsideAnAsyncEventIsSafe) {
  HttpPeer server([&](int, SOCKET peer) {
    if (!server.ReadRequest(peer).empty())
      SendAll(peer, "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n0123456789");
  });
  bool freed = false;
  client->OnDocData = [&](THttpClient*, const char*, std::size_t) {
    client.reset();
    freed = true;
  };
  client->URL = server.Url("/x");
  client->DoRequestAsync(THttpRequest::httpGET);
  ASSERT_TRUE(PumpUntil([&] { return freed; }));
  nettest::PumpFor(200);
  EXPECT_EQ(client, nullptr);
}

}  // namespace
