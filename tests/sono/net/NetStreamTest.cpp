// Radio streams against real loopback peers: a Python server natively and a
// server thread of the test everywhere, both playing the same scripts.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ScriptedServer.h"
#include "sono/net/UrlSource.h"
#include "sono/net/platform/Socket.h"

namespace {

using sono::net::IcyUpdate;
using sono::net::NetError;
using sono::net::OpenUrl;
using sono::net::UrlOptions;
using sono_test::Reply;
using sono_test::ServerKind;

std::string AudioPattern(size_t size) {
  std::string audio(size, '\0');
  for (size_t i = 0; i < size; ++i) audio[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return audio;
}

// Audio with a metadata block after every `interval` bytes; blocks[i] goes
// after the i-th interval (an empty text sends the length byte 0).
std::string IcyBody(const std::string& audio, size_t interval, const std::vector<std::string>& blocks) {
  std::string body;
  size_t block = 0;
  for (size_t at = 0; at < audio.size(); at += interval) {
    body += audio.substr(at, interval);
    if (at + interval > audio.size()) break;
    const std::string text = block < blocks.size() ? blocks[block++] : std::string();
    const size_t units = (text.size() + 15) / 16;
    body += static_cast<char>(units);
    body += text + std::string(units * 16 - text.size(), '\0');
  }
  return body;
}

std::string ReadAll(sono::ByteSource& source, size_t chunk) {
  std::string all;
  std::string buffer(chunk, '\0');
  for (size_t n; (n = source.Read(buffer.data(), chunk)) > 0;) all.append(buffer, 0, n);
  return all;
}

class NetStreamTest : public ::testing::TestWithParam<ServerKind> {
 protected:
  std::unique_ptr<sono_test::ScriptedServer> Serve(std::vector<Reply> replies) {
    auto server = sono_test::StartServer(GetParam(), std::move(replies));
    EXPECT_TRUE(server);
    return server;
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  uint16_t port_ = 0;
};

TEST_P(NetStreamTest, IcyStreamGivesTheAudioAndEachNewTitle) {
  const std::string audio = AudioPattern(9000);
  const std::string longTitle = "StreamTitle='" + std::string(4000, 'x') + "';";
  const std::vector<std::string> blocks = {
      "StreamTitle='A - B';StreamUrl='';", "", "StreamTitle='A - B';StreamUrl='';",
      "StreamTitle='It's; odd';StreamUrl='http://x/';", "StreamTitle='\xE9t\xE9 \xFF';", longTitle};
  auto server = Serve({{"ICY 200 OK\r\nicy-name: Loopback Radio\r\nicy-metaint: 1000\r\n"
                        "Content-Type: audio/mpeg\r\n\r\n" + IcyBody(audio, 1000, blocks)}});
  ASSERT_TRUE(server);
  port_ = server->Port();
  std::vector<IcyUpdate> updates;
  UrlOptions options;
  options.onMetadata = [&](const IcyUpdate& update) { updates.push_back(update); };
  auto opened = OpenUrl(Url("/radio"), std::move(options));
  ASSERT_TRUE(opened.source) << sono::net::DescribeNetError(opened.error);
  EXPECT_EQ(ReadAll(*opened.source, 333), audio);
  EXPECT_FALSE(opened.source->Failed());
  EXPECT_EQ(opened.source->Tell(), 9000);
  EXPECT_EQ(opened.source->ExtensionHint(), ".mp3");
  const auto& lines = opened.source->HeaderLines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "ICY 200 OK");
  EXPECT_EQ(lines[1], "icy-name: Loopback Radio");

  ASSERT_EQ(updates.size(), 4u);  // the repeated block is not news
  EXPECT_EQ(updates[0].title, "A - B");
  EXPECT_EQ(updates[0].text, "StreamTitle='A - B';StreamUrl='';");
  EXPECT_EQ(updates[1].title, "It's; odd");
  EXPECT_EQ(updates[2].title, "\xE9t\xE9 \xFF");
  EXPECT_EQ(updates[3].title, std::string(4000, 'x'));

  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET /radio HTTP/1.0\r\n", 0), 0u);
  EXPECT_NE(requests[0].find("\r\nIcy-MetaData: 1\r\n"), std::string::npos);
  EXPECT_NE(requests[0].find("\r\nHost: 127.0.0.1:" + std::to_string(port_) + "\r\n"), std::string::npos);
}

TEST_P(NetStreamTest, FollowsRedirects) {
  const std::string audio = AudioPattern(3000);
  auto server = Serve({{"HTTP/1.0 302 Found\r\nLocation: /second?x=1\r\n\r\n"},
                       // A name, not a number: looked up, and only its IPv4 address answers.
                       {"HTTP/1.1 301 Moved\r\nLocation: http://localhost:{PORT}/third.ogg\r\n\r\n"},
                       {"HTTP/1.0 200 OK\r\nicy-metaint: 0\r\n\r\n" + audio}});
  ASSERT_TRUE(server);
  port_ = server->Port();
  auto opened = OpenUrl(Url("/first"), UrlOptions());
  ASSERT_TRUE(opened.source) << sono::net::DescribeNetError(opened.error);
  // metaint 0 means no metadata: every byte is audio.
  EXPECT_EQ(ReadAll(*opened.source, 4096), audio);
  EXPECT_EQ(opened.source->FinalUrl(), "http://localhost:" + std::to_string(port_) + "/third.ogg");
  EXPECT_EQ(opened.source->ExtensionHint(), ".ogg");
  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].rfind("GET /second?x=1 HTTP/1.0", 0), 0u);
  EXPECT_EQ(requests[2].rfind("GET /third.ogg HTTP/1.0", 0), 0u);
}

TEST_P(NetStreamTest, EndlessRedirectsEndInAnError) {
  const Reply loop{"HTTP/1.0 302 Found\r\nLocation: /again\r\n\r\n"};
  auto server = Serve({loop, loop, loop, loop});
  ASSERT_TRUE(server);
  port_ = server->Port();
  UrlOptions options;
  options.maxRedirects = 3;
  const auto opened = OpenUrl(Url("/again"), std::move(options));
  EXPECT_FALSE(opened.source);
  EXPECT_EQ(opened.error, NetError::TooManyRedirects);
  EXPECT_EQ(server->Requests().size(), 4u);
}

TEST_P(NetStreamTest, SilentServerTimesOut) {
  auto server = Serve({{"", true}});
  ASSERT_TRUE(server);
  port_ = server->Port();
  UrlOptions options;
  options.readTimeoutMs = 300;
  const auto opened = OpenUrl(Url("/"), std::move(options));
  EXPECT_FALSE(opened.source);
  EXPECT_EQ(opened.error, NetError::TimedOut);
}

TEST_P(NetStreamTest, StallInTheAudioTimesOutAfterWhatArrived) {
  auto server = Serve({{"HTTP/1.0 200 OK\r\n\r\n" + AudioPattern(100), true}});
  ASSERT_TRUE(server);
  port_ = server->Port();
  UrlOptions options;
  options.readTimeoutMs = 300;
  auto opened = OpenUrl(Url("/"), std::move(options));
  ASSERT_TRUE(opened.source);
  std::string buffer(4096, '\0');
  EXPECT_EQ(opened.source->Read(buffer.data(), buffer.size()), 100u);
  EXPECT_TRUE(opened.source->Failed());
  EXPECT_EQ(opened.source->Error(), NetError::TimedOut);
  EXPECT_EQ(opened.source->Read(buffer.data(), buffer.size()), 0u);
}

// Only a cancel can end these reads: the server stays silent and the time-out
// is far away. The cancel comes before the read and while it may be blocked.
TEST_P(NetStreamTest, CancelEndsABlockedRead) {
  auto server = Serve({{"HTTP/1.0 200 OK\r\n\r\n", true}, {"HTTP/1.0 200 OK\r\n\r\n", true}});
  ASSERT_TRUE(server);
  port_ = server->Port();
  UrlOptions options;
  options.readTimeoutMs = 3600 * 1000;
  for (bool beforeTheRead : {true, false}) {
    SCOPED_TRACE(beforeTheRead);
    auto opened = OpenUrl(Url("/"), options);
    ASSERT_TRUE(opened.source);
    std::thread canceller;
    if (beforeTheRead)
      opened.source->Cancel();
    else
      canceller = std::thread([&] { opened.source->Cancel(); });
    char byte;
    EXPECT_EQ(opened.source->Read(&byte, 1), 0u);
    if (canceller.joinable()) canceller.join();
    EXPECT_EQ(opened.source->Error(), NetError::Cancelled);
  }
}

TEST_P(NetStreamTest, EarlyClosesEndInErrors) {
  auto server = Serve({{""},
                       {"HTTP/1.0 200 OK\r\nicy-me"},
                       {"HTTP/1.0 200 OK\r\nicy-metaint: 100\r\n\r\n"},
                       {"HTTP/1.0 200 OK\r\nicy-metaint: 100\r\n\r\n" + AudioPattern(100) + "\xFF" +
                        std::string(10, 'y')}});
  ASSERT_TRUE(server);
  port_ = server->Port();
  EXPECT_EQ(OpenUrl(Url("/"), UrlOptions()).error, NetError::Closed);
  EXPECT_EQ(OpenUrl(Url("/"), UrlOptions()).error, NetError::BadResponse);

  auto empty = OpenUrl(Url("/"), UrlOptions());
  ASSERT_TRUE(empty.source);
  char buffer[512];
  EXPECT_EQ(empty.source->Read(buffer, sizeof buffer), 0u);
  EXPECT_EQ(empty.source->Error(), NetError::Closed);

  // Cut inside the metadata announced by the largest length byte.
  auto cut = OpenUrl(Url("/"), UrlOptions());
  ASSERT_TRUE(cut.source);
  EXPECT_EQ(cut.source->Read(buffer, sizeof buffer), 100u);
  EXPECT_EQ(cut.source->Error(), NetError::Closed);
  EXPECT_EQ(server->Requests().size(), 4u);
}

TEST_P(NetStreamTest, RefusalsAndBadHeadsAreErrors) {
  auto server = Serve({{"HTTP/1.0 404 Not Found\r\n\r\n"},
                       {"HTTP/1.0 200 OK\r\nicy-metaint: 99999999999\r\n\r\n"},
                       {"SSH-2.0-something\r\n\r\n"},
                       {"HTTP/1.0 302 Found\r\n\r\n"}});
  ASSERT_TRUE(server);
  port_ = server->Port();
  const auto missing = OpenUrl(Url("/"), UrlOptions());
  EXPECT_EQ(missing.error, NetError::HttpStatus);
  EXPECT_EQ(missing.status, 404);
  EXPECT_EQ(OpenUrl(Url("/"), UrlOptions()).error, NetError::BadResponse);
  EXPECT_EQ(OpenUrl(Url("/"), UrlOptions()).error, NetError::BadResponse);
  EXPECT_EQ(OpenUrl(Url("/"), UrlOptions()).error, NetError::HttpStatus);
}

TEST_P(NetStreamTest, ProxyGetsTheAbsoluteAddressAndCredentials) {
  auto server = Serve({{"HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\nok"}});
  ASSERT_TRUE(server);
  UrlOptions options;
  // The password holds both '@' and ':'; only the last '@' ends it.
  options.proxy = "user:p@ss:w@127.0.0.1:" + std::to_string(server->Port());
  auto opened = OpenUrl("http://radio.invalid:8000/live", std::move(options));
  ASSERT_TRUE(opened.source) << sono::net::DescribeNetError(opened.error);
  EXPECT_EQ(ReadAll(*opened.source, 16), "ok");
  const auto requests = server->Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET http://radio.invalid:8000/live HTTP/1.0\r\n", 0), 0u);
  // base64("user:p@ss:w"), worked out apart from the code under test.
  EXPECT_NE(requests[0].find("\r\nProxy-Authorization: Basic dXNlcjpwQHNzOnc=\r\n"), std::string::npos);
  EXPECT_NE(requests[0].find("\r\nHost: radio.invalid:8000\r\n"), std::string::npos);
}

TEST(NetConnect, RefusedPortAndBadInputsFailAtOnce) {
  uint16_t port = 0;
  {
    const auto listener = sono::net::Listener::OnLoopback();
    ASSERT_TRUE(listener.IsOpen());
    port = listener.Port();
  }
  EXPECT_EQ(OpenUrl("http://127.0.0.1:" + std::to_string(port) + "/", UrlOptions()).error, NetError::ConnectFailed);
  EXPECT_EQ(OpenUrl("mms://radio.invalid/live", UrlOptions()).error, NetError::BadUrl);
  UrlOptions badProxy;
  badProxy.proxy = "user:pass@:80";
  EXPECT_EQ(OpenUrl("http://radio.invalid/", std::move(badProxy)).error, NetError::BadProxy);
}

TEST(NetConnect, ConnectTimesOutWhenTheServerNeverAccepts) {
  // A listener that never accepts stops answering once its queue is full.
  const auto listener = sono::net::Listener::OnLoopback();
  ASSERT_TRUE(listener.IsOpen());
  std::vector<sono::net::Socket> queued;
  auto status = sono::net::IoStatus::Ok;
  for (int i = 0; i < 64 && status == sono::net::IoStatus::Ok; ++i) {
    sono::net::Socket socket;
    status = sono::net::Socket::Connect("127.0.0.1", listener.Port(), 200, nullptr, socket);
    if (status == sono::net::IoStatus::Ok) queued.push_back(std::move(socket));
  }
  ASSERT_EQ(status, sono::net::IoStatus::TimedOut);
  UrlOptions options;
  options.connectTimeoutMs = 300;
  EXPECT_EQ(OpenUrl("http://127.0.0.1:" + std::to_string(listener.Port()) + "/", std::move(options)).error,
            NetError::TimedOut);
}

#ifdef _WIN32
INSTANTIATE_TEST_SUITE_P(Loopback, NetStreamTest, ::testing::Values(ServerKind::Thread));
#else
INSTANTIATE_TEST_SUITE_P(Loopback, NetStreamTest, ::testing::Values(ServerKind::Thread, ServerKind::Python),
                         [](const auto& info) { return info.param == ServerKind::Thread ? "Thread" : "Python"; });
#endif

}  // namespace
