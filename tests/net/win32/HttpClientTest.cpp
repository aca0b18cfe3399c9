// THttpClient against scripted loopback peers: the request bytes, the body
// framings, relocations, hostile replies, time-outs and the component's
// lifetime during its own blocking call.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "net/win32/HttpClient.h"
#include "tests/net/win32/HttpPeer.h"
#include "tests/net/win32/Peer.h"

namespace {

using nettest::HttpPeer;
using nettest::SendAll;
using sv::net::EHttpException;
using sv::net::StringByteStream;
using sv::net::THttpClient;

const std::string kAccept = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n";
const std::string kAgent = "User-Agent: Mozilla/4.0 (compatible; Sorivanel)\r\n";

// Answers every request of a connection with the same reply, then ends.
HttpPeer::Script Reply(HttpPeer*& self, const std::string& reply) {
  return [&self, reply](int, SOCKET client) {
    if (!self->ReadRequest(client).empty()) SendAll(client, reply);
  };
}

struct ClientFixture : ::testing::Test {
  std::unique_ptr<THttpClient> client = std::make_unique<THttpClient>(nullptr);
  StringByteStream received;
  void SetUp() override {
    client->ReceiveStream = &received;
    client->IdleTimeout = 5000;
    client->TotalTimeout = 15000;
  }
  // The call's error, or an empty text when it returned normally.
  std::string GetError(int* code = nullptr) {
    try {
      client->Get();
    } catch (const EHttpException& e) {
      if (code) *code = e.ErrCode;
      return e.Message();
    }
    return {};
  }
};

TEST_F(ClientFixture, SendsExactGetAndReadsLengthDelimitedBody) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
  peer = &server;
  client->URL = server.Url("/dir/page.htm?x=1");
  client->Get();
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(client->ReasonPhrase(), "OK");
  EXPECT_EQ(received.Data(), "hello");
  EXPECT_EQ(client->DocName(), "page.htm");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "GET /dir/page.htm?x=1 HTTP/1.0\r\n" + kAccept + kAgent +
                                      "Host: 127.0.0.1:" + server.PortText() + "\r\n\r\n");
}

TEST_F(ClientFixture, PostsTheStreamFromItsPosition) {
  std::string body(100 * 1024, '\0');
  for (std::size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
  StringByteStream sent("skipped" + body);
  sent.Seek(7);
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"));
  peer = &server;
  client->URL = server.Url("/submit");
  client->SendStream = &sent;
  client->Post();
  ASSERT_EQ(server.Requests().size(), 1u);
  const std::string request = server.Requests()[0];
  EXPECT_EQ(request.substr(0, 25), "POST /submit HTTP/1.0\r\nAc");
  EXPECT_NE(request.find("Content-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
  EXPECT_NE(request.find("Content-Length: 102400\r\n"), std::string::npos);
  EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), body);
  EXPECT_EQ(received.Data(), "ok");
}

TEST_F(ClientFixture, KeepAliveServesTwoCallsOnOneConnection) {
  HttpPeer server([&](int, SOCKET client) {
    for (int i = 0; i < 2; ++i) {
      if (server.ReadRequest(client).empty()) return;
      SendAll(client, "HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 3\r\n\r\nab" + std::to_string(i));
    }
  });
  client->URL = server.Url("/one");
  client->Get();
  client->URL = server.Url("/two");
  client->Get();
  EXPECT_EQ(received.Data(), "ab0ab1");
  EXPECT_EQ(server.Accepts(), 1);
}

TEST_F(ClientFixture, BytesBeyondTheLengthAreNotReadAsTheNextResponse) {
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    if (index == 0) {
      SendAll(client, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n0123456789HTTP/1.1 500 Stale\r\n\r\n");
      server.ReadRequest(client);
    } else {
      SendAll(client, "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnext");
    }
  });
  client->RequestVer = "1.1";
  client->URL = server.Url("/a");
  client->Get();
  EXPECT_EQ(received.Data(), "0123456789");
  client->URL = server.Url("/b");
  client->Get();
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(received.Data(), "0123456789next");
  EXPECT_EQ(server.Accepts(), 2);
}

TEST_F(ClientFixture, ChunkedBodyDeliversExactlyItsData) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n"
                              "5\r\nhello\r\n6;ext=1\r\n world\r\n0\r\n\r\n"));
  peer = &server;
  client->URL = server.Url("/c");
  client->Get();
  EXPECT_EQ(received.Data(), "hello world");
  EXPECT_EQ(client->TransferEncoding(), "chunked");
}

TEST_F(ClientFixture, ContentCodingAnnouncesItselfAndPassesIdentity) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Encoding: identity\r\nContent-Length: 5\r\n\r\nplain"));
  peer = &server;
  client->Options = {sv::net::THttpClientOption::httpoEnableContentCoding, sv::net::THttpClientOption::httpoUseQuality};
  client->URL = server.Url("/");
  client->Get();
  EXPECT_EQ(received.Data(), "plain");
  EXPECT_EQ(client->ContentEncoding(), "identity");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_NE(server.Requests()[0].find("\r\nAccept-Encoding: identity;q=0, *;q=0\r\n"), std::string::npos);
}

TEST_F(ClientFixture, HeadReadsNoBody) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n"));
  peer = &server;
  client->URL = server.Url("/file.bin");
  client->Head();
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(client->ContentLength(), 100);
  EXPECT_EQ(received.Size(), 0);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].substr(0, 25), "HEAD /file.bin HTTP/1.0\r\n");
}

TEST_F(ClientFixture, BodyWithoutLengthEndsAtTheClose) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\n\r\nuntil the end"));
  peer = &server;
  int docEnds = 0;
  client->OnDocEnd = [&](THttpClient*) { ++docEnds; };
  client->URL = server.Url("/");
  client->Get();
  EXPECT_EQ(received.Data(), "until the end");
  EXPECT_EQ(docEnds, 1);
}

TEST_F(ClientFixture, InterimReplyIsForgottenAndNotModifiedHasNoBody) {
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    if (index == 0)
      SendAll(client, "HTTP/1.1 100 Continue\r\nX-Interim: 1\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    else if (index == 1)
      SendAll(client, "HTTP/1.1 102 Processing\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </s.css>\r\n\r\n"
                      "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nreal");
    else
      SendAll(client, "HTTP/1.1 304 Not Modified\r\nConnection: close\r\n\r\n");
  });
  client->RequestVer = "1.1";
  client->URL = server.Url("/");
  client->Get();
  EXPECT_EQ(received.Data(), "ok");
  ASSERT_EQ(client->RcvdHeader().size(), 2u);
  EXPECT_EQ(client->RcvdHeader()[0], "HTTP/1.1 200 OK");
  // Processing and early hints come before the real response too.
  client->Get();
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(received.Data(), "okreal");
  client->Get();
  EXPECT_EQ(client->StatusCode(), 304);
  EXPECT_EQ(received.Data(), "okreal");
}

// A Not Modified or No Content that announces a length has no body: the
// kept connection carries the next response, which is read as itself.
TEST_F(ClientFixture, NoBodyStatusesIgnoreTheirLengthOnAKeptConnection) {
  HttpPeer server([&](int, SOCKET client) {
    const char* replies[] = {"HTTP/1.1 304 Not Modified\r\nContent-Length: 20\r\n\r\n",
                             "HTTP/1.1 204 No Content\r\nContent-Length: 20\r\n\r\n",
                             "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnext"};
    for (const char* reply : replies) {
      if (server.ReadRequest(client).empty()) return;
      SendAll(client, reply);
    }
  });
  client->RequestVer = "1.1";
  client->URL = server.Url("/cached");
  EXPECT_EQ(GetError(), "");
  EXPECT_EQ(client->StatusCode(), 304);
  EXPECT_EQ(GetError(), "");
  EXPECT_EQ(client->StatusCode(), 204);
  EXPECT_EQ(GetError(), "");
  EXPECT_EQ(client->StatusCode(), 200);
  EXPECT_EQ(received.Data(), "next");
  EXPECT_EQ(server.Accepts(), 1);
  EXPECT_EQ(server.Requests().size(), 3u);
}

TEST_F(ClientFixture, ErrorStatusRaisesWithReasonAndUnansweredChallengeReturns) {
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    SendAll(client, index == 0
                        ? "HTTP/1.0 404 Nothing here\r\n\r\n"
                        : "HTTP/1.0 401 Who\r\nWWW-Authenticate: Basic realm=\"x\"\r\nContent-Length: 0\r\n\r\n");
  });
  client->URL = server.Url("/missing");
  int code = 0;
  EXPECT_EQ(GetError(&code), "Nothing here");
  EXPECT_EQ(code, 404);
  EXPECT_EQ(GetError(), "");
  EXPECT_EQ(client->StatusCode(), 401);
}

TEST_F(ClientFixture, LocalFailuresRaise) {
  client->URL = "http://127.0.0.1:" + nettest::ClosedPort() + "/";
  int code = 0;
  EXPECT_NE(GetError(&code).find("(Error #10061)"), std::string::npos);
  EXPECT_EQ(code, 404);
  client->URL = "ftp://127.0.0.1/file";
  EXPECT_EQ(GetError(&code), "Protocol \"ftp\" not implemented");
  EXPECT_EQ(code, 501);
  client->URL = "http://127.0.0.1:70000/";
  EXPECT_EQ(GetError(&code), "invalid URL");
  client->URL = "http://127.0.0.1/a\r\nX-Injected: 1";
  EXPECT_EQ(GetError(&code), "invalid URL");
  // A proxy port as typed in the options: checked when it is used.
  client->URL = "http://127.0.0.1/";
  client->Proxy = "127.0.0.1";
  for (const char* port : {"70000", "0", "80a", ""}) {
    client->ProxyPort = port;
    EXPECT_EQ(GetError(&code), "invalid proxy address or port") << port;
  }
  client->Proxy = "";
  client->RequestVer = "2.0";
  EXPECT_EQ(GetError(&code), "Insupported HTTP version");
  EXPECT_EQ(code, 5);
  client->RequestVer = "1.0";
  EXPECT_THROW(client->Post(), EHttpException);
}

TEST_F(ClientFixture, FollowsRelocationsAndTurnsPostIntoGet) {
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    if (index == 0) SendAll(client, "HTTP/1.0 302 Found\r\nLocation: next.htm#top\r\n\r\n");
    else SendAll(client, "HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\ndone");
  });
  StringByteStream sent("a=1");
  client->SendStream = &sent;
  int changes = 0;
  client->OnLocationChange = [&](THttpClient*) { ++changes; };
  client->URL = server.Url("/dir/page.htm");
  client->Post();
  EXPECT_EQ(received.Data(), "done");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(client->Location(), server.Url("/dir/next.htm"));
  ASSERT_EQ(server.Requests().size(), 2u);
  EXPECT_EQ(server.Requests()[1].substr(0, 28), "GET /dir/next.htm HTTP/1.0\r\n");
}

TEST_F(ClientFixture, RelocationLoopStopsAtTheLimitWithoutRaising) {
  HttpPeer server([&](int, SOCKET client) {
    if (!server.ReadRequest(client).empty()) SendAll(client, "HTTP/1.0 301 Moved\r\nLocation: /loop\r\n\r\n");
  }, 20);
  client->URL = server.Url("/loop");
  EXPECT_EQ(GetError(), "");
  EXPECT_EQ(client->StatusCode(), 301);
  // Each relocation on a new connection counts twice: the third one stops.
  EXPECT_EQ(server.Accepts(), 3);
}

TEST_F(ClientFixture, LocationIsFollowedOnlyWhenSafe) {
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    if (index == 0) SendAll(client, "HTTP/1.0 200 OK\r\nLocation: /elsewhere\r\nContent-Length: 2\r\n\r\nok");
    else SendAll(client, "HTTP/1.0 302 Found\r\nLocation: /a\rX-Injected: 1\r\n\r\n");
  });
  client->URL = server.Url("/");
  client->Get();
  EXPECT_EQ(received.Data(), "ok");
  client->Get();
  EXPECT_EQ(client->StatusCode(), 302);
  EXPECT_EQ(server.Accepts(), 2);
}

TEST_F(ClientFixture, ThroughAProxyTheRequestNamesTheWholeUrl) {
  HttpPeer* peer = nullptr;
  HttpPeer proxy(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\np"));
  peer = &proxy;
  client->URL = "http://example.invalid:8080/doc?q=1";
  client->Proxy = "127.0.0.1";
  client->ProxyPort = proxy.PortText();
  client->ProxyConnection = "Keep-Alive";
  client->Get();
  EXPECT_EQ(received.Data(), "p");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  EXPECT_EQ(proxy.Requests()[0], "GET http://example.invalid:8080/doc?q=1 HTTP/1.0\r\n" + kAccept + kAgent +
                                     "Host: example.invalid:8080\r\nProxy-Connection: Keep-Alive\r\n\r\n");
}

TEST_F(ClientFixture, HostileRepliesFailInsteadOfSucceeding) {
  const std::vector<std::string> replies = {
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nhello\r\n0\r\n\r\n",
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFFFFFFFFFFFFFF\r\nhello\r\n",
      "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly ten..",
      "HTTP/1.0 200 OK\r\n" + [] {
        std::string lines;
        for (int i = 0; i < 1000; ++i) lines += "X-Line: " + std::to_string(i) + "\r\n";
        return lines;
      }() + "\r\n",
      "ICY 200 OK\r\n\r\n",
      "",
  };
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    if (index < static_cast<int>(replies.size())) {
      SendAll(client, replies[static_cast<std::size_t>(index)]);
    } else if (index == static_cast<int>(replies.size())) {
      for (int i = 0; i < 50 && SendAll(client, "HTTP/1.1 100 Continue\r\n\r\n"); ++i) {
      }
    } else {
      SendAll(client, "HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\npartial");
      Sleep(100);
      nettest::ResetConnection(client);
    }
  }, 20);
  client->URL = server.Url("/");
  for (std::size_t i = 0; i < replies.size() + 2; ++i) {
    int code = -1;
    EXPECT_NE(GetError(&code), "") << "reply " << i;
    EXPECT_TRUE(code == 404 || code == 0) << "reply " << i;
  }
}

TEST_F(ClientFixture, OverLongHeaderLineIsCut) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nX-Long: " + std::string(200000, 'x') + "\r\n\r\nbody"));
  peer = &server;
  client->URL = server.Url("/");
  client->Get();
  EXPECT_EQ(received.Data(), "body");
  ASSERT_EQ(client->RcvdHeader().size(), 2u);
  EXPECT_LE(client->RcvdHeader()[1].size(), 8190u);
}

TEST_F(ClientFixture, BadLengthsCountAsAbsent) {
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    SendAll(client, index == 0 ? "HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nabc"
                               : "HTTP/1.0 200 OK\r\nContent-Length: 100000000000000000000\r\n\r\ndef");
  });
  client->URL = server.Url("/");
  client->Get();
  client->Get();
  EXPECT_EQ(received.Data(), "abcdef");
}

TEST_F(ClientFixture, MaxBodySizeStopsAnEndlessBody) {
  HttpPeer server([&](int, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    SendAll(client, "HTTP/1.0 200 OK\r\n\r\n");
    const std::string block(16384, 'z');
    for (int i = 0; i < 200 && SendAll(client, block); ++i) {
    }
  });
  client->MaxBodySize = 100000;
  client->URL = server.Url("/");
  EXPECT_EQ(GetError(), "document too large");
  EXPECT_LE(received.Size(), 100000);
}

TEST_F(ClientFixture, SilentAndEndlessServersTimeOut) {
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    // Each keeps going until the client gives up, however long that takes.
    DWORD patience = 120000;
    setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&patience), sizeof patience);
    if (index == 0) {
      nettest::ReadAll(client, 1);
      return;
    }
    SendAll(client, "HTTP/1.0 200 OK\r\n\r\n");
    for (int i = 0; i < 1200 && SendAll(client, "."); ++i) Sleep(100);
  });
  client->URL = server.Url("/");
  client->IdleTimeout = 700;
  client->TotalTimeout = 0;
  int code = 0;
  EXPECT_EQ(GetError(&code), "Connection timed out (Error #10060)");
  EXPECT_EQ(code, 404);
  EXPECT_EQ(client->RequestDoneError(), 10060);

  // A body that never ends is ended by the total time-out alone.
  client->IdleTimeout = 0;
  client->TotalTimeout = 1200;
  code = 0;
  EXPECT_EQ(GetError(&code), "Connection timed out (Error #10060)");
  EXPECT_EQ(code, 404);
  EXPECT_EQ(received.Data().find_first_not_of('.'), std::string::npos) << "only the drops were kept";
}

TEST_F(ClientFixture, FreeingTheClientInsideItsOwnCallIsSafe) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"), 2);
  peer = &server;
  client->URL = server.Url("/");
  client->OnDocData = [&](THttpClient*, const char*, std::size_t) { client.reset(); };
  THttpClient* raw = client.get();
  EXPECT_THROW(raw->Get(), EHttpException);
  EXPECT_EQ(client, nullptr);

  auto owner = std::make_unique<forms::TComponent>(nullptr);
  THttpClient* owned = forms::New<THttpClient>(owner.get(), "Http");
  owned->URL = server.Url("/");
  owned->OnHeaderData = [&](THttpClient*, const std::string&) { owner.reset(); };
  EXPECT_THROW(owned->Get(), EHttpException);
  EXPECT_EQ(owner, nullptr);
}

TEST_F(ClientFixture, QuitEndsTheCallAndIsPostedAgain) {
  HttpPeer server([&](int, SOCKET client) {
    if (!server.ReadRequest(client).empty()) nettest::ReadAll(client, 1);
  });
  client->URL = server.Url("/");
  PostQuitMessage(7);
  EXPECT_EQ(GetError(), "Connection aborted on request");
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(ClientFixture, SecondCallOnABusyClientRaises) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
  peer = &server;
  client->SetName("Fetcher");
  client->URL = server.Url("/");
  int nested = 0;
  client->OnDocBegin = [&](THttpClient* sender) {
    try {
      sender->Get();
    } catch (const EHttpException& e) {
      nested = e.ErrCode;
      EXPECT_EQ(e.Message(), "HTTP component Fetcher is busy");
    }
  };
  client->Get();
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(received.Data(), "hello");
}

// Where `wanted` appears in order within `lines`, or an empty text; else
// the first line not found.
std::string MissingInOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
  auto at = lines.begin();
  for (const std::string& line : wanted) {
    at = std::find(at, lines.end(), line);
    if (at == lines.end()) return line;
  }
  return {};
}

TEST_F(ClientFixture, TraceLinesReachOnTraceWithoutALogger) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
  peer = &server;
  client->URL = server.Url("/");
  std::vector<std::string> lines;
  client->OnTrace = [&](THttpClient* sender, const std::string& text) {
    EXPECT_EQ(sender, client.get());
    lines.push_back(text);
  };
  client->Get();
  EXPECT_EQ(MissingInOrder(lines, {"Login 127.0.0.1", "SessionConnected", "SendRequest Done",
                                   "|HTTP/1.0 200 OK>|", "|Content-Length: 5>|", "FCloseReq=1", "End of header",
                                   "DocBegin", "GetBodyLineNext begin", "GetBodyLineNext FBodyDataLen=5",
                                   "End of document", "DocEnd", "GetBodyLineNext end", "State = httpReady"}),
            "");
}

TEST_F(ClientFixture, FreeingTheClientFromOnTraceIsSafe) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
  peer = &server;
  client->URL = server.Url("/");
  client->OnTrace = [&](THttpClient*, const std::string& text) {
    if (text == "DocBegin") client.reset();
  };
  THttpClient* raw = client.get();
  EXPECT_THROW(raw->Get(), EHttpException);
  EXPECT_EQ(client, nullptr);
}

TEST_F(ClientFixture, FreeingTheClientFromItsLoggersEventIsSafe) {
  HttpPeer* peer = nullptr;
  HttpPeer server(Reply(peer, "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello"));
  peer = &server;
  auto logger = forms::NewUnowned<sv::net::TNetLogger>("");
  logger->SetLogOptions({sv::net::TLogOption::loDestEvent, sv::net::TLogOption::loProtSpecInfo});
  logger->SetOnNetLogEvent([&](forms::TComponent*, sv::net::TLogOption, const std::string& msg) {
    if (msg == "DocBegin") client.reset();
  });
  client->SetNetLogger(logger.get());
  client->URL = server.Url("/");
  int tracedAfterFree = 0;
  client->OnTrace = [&](THttpClient*, const std::string&) {
    if (!client) ++tracedAfterFree;
  };
  THttpClient* raw = client.get();
  EXPECT_THROW(raw->Get(), EHttpException);
  EXPECT_EQ(client, nullptr);
  EXPECT_EQ(tracedAfterFree, 0);
}

TEST_F(ClientFixture, HtmlBodiesAreNamedAsPagesAndAnEmptyReadIsTraced) {
  std::atomic<bool> partRead{false};
  HttpPeer server([&](int index, SOCKET client) {
    if (server.ReadRequest(client).empty()) return;
    if (index == 0) {
      SendAll(client, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\npart");
      // Closes only once everything was read: the close then finds nothing.
      for (int i = 0; i < 1000 && !partRead; ++i) Sleep(10);
    } else {
      SendAll(client, "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: 2\r\n\r\nMZ");
    }
  });
  std::vector<std::string> lines;
  client->OnTrace = [&](THttpClient*, const std::string& text) { lines.push_back(text); };
  client->OnDocData = [&](THttpClient*, const char*, std::size_t) { partRead = true; };
  client->URL = server.Url("/get/setup.exe");
  client->Get();
  EXPECT_EQ(received.Data(), "part");
  EXPECT_EQ(client->DocName(), "setup.htm");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "**data available. Len=0"), lines.end());
  EXPECT_EQ(std::find(lines.begin(), lines.end(), "Data available. Len=0"), lines.end());

  client->Get();
  EXPECT_EQ(client->DocName(), "setup.exe");
}

}  // namespace
