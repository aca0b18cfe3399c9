// The submission client against a real submission service on 127.0.0.1
// (scrobbler_peer.py), which checks the form with its own parser and the
// challenge response with hashlib. Native only: the requests go through a
// minimal blocking HTTP/1.0 exchange here until the Win32 client wires its
// own.
#ifndef _WIN32
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "net/core/ScrobblerCore.h"

extern char** environ;

namespace {

using namespace sv::net;

// One request on its own connection; failed with the reason phrase for a
// status of 400 or more, or "can't connect".
ScrobblerHttpResult Exchange(const ScrobblerHttpRequest& request) {
  ScrobblerHttpResult result{true, "", "can't connect"};
  const std::string prefix = "http://127.0.0.1:";
  if (request.url.rfind(prefix, 0) != 0) return result;
  const size_t slash = request.url.find('/', prefix.size());
  const int port = std::atoi(request.url.substr(prefix.size(), slash - prefix.size()).c_str());
  const std::string path = slash == std::string::npos ? "/" : request.url.substr(slash);

  const int s = ::socket(AF_INET, SOCK_STREAM, 0);
  timeval timeout{5, 0};
  ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(s);
    return result;
  }
  std::string wire = (request.post ? "POST " : "GET ") + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n";
  if (request.post)
    wire += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
            std::to_string(request.body.size()) + "\r\n";
  wire += "\r\n" + request.body;
  ::send(s, wire.data(), wire.size(), MSG_NOSIGNAL);
  std::string answer;
  char chunk[4096];
  for (ssize_t got; (got = ::recv(s, chunk, sizeof chunk, 0)) > 0;) answer.append(chunk, size_t(got));
  ::close(s);

  const size_t lineEnd = answer.find("\r\n");
  const size_t headEnd = answer.find("\r\n\r\n");
  if (lineEnd == std::string::npos || headEnd == std::string::npos || answer.size() < 12) return result;
  const int status = std::atoi(answer.substr(9, 3).c_str());
  if (status >= 400) {
    result.reason = answer.substr(13, lineEnd - 13);
    return result;
  }
  return ScrobblerHttpResult{false, answer.substr(headEnd + 4), ""};
}

class ScrobblerPeerTest : public testing::Test {
 protected:
  void SetUp() override {
    if (std::system("/usr/bin/python3 -c pass >/dev/null 2>&1") != 0) GTEST_SKIP() << "python3 missing";
    dir_ = std::filesystem::temp_directory_path() / ("sv-scrobbler-peer-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    seenPath_ = (dir_ / "seen.txt").string();
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string python = "/usr/bin/python3", script = SV_SCROBBLER_PEER;
    char* argv[] = {python.data(), script.data(), seenPath_.data(), nullptr};
    ASSERT_EQ(posix_spawn(&peer_, argv[0], &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    std::string portText;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') portText += c;
    ::close(out[0]);
    ASSERT_FALSE(portText.empty()) << "the peer did not start";
    address_ = "http://127.0.0.1:" + portText;
  }

  void TearDown() override {
    if (peer_ > 0) {
      ::kill(peer_, SIGTERM);
      ::waitpid(peer_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::unique_ptr<ScrobblerCore> Client(const std::string& user) {
    ScrobblerHooks hooks;
    hooks.perform = [this](const ScrobblerHttpRequest& request) {
      ++requests_;
      return Exchange(request);
    };
    hooks.clock = [] { return ClockReading{{2024, 1, 2, 4, 4, 5}, {2024, 1, 2, 3, 4, 5}}; };
    hooks.setTimer = [](uint32_t) {};
    auto core = std::make_unique<ScrobblerCore>(std::move(hooks), (dir_ / kScrobblerLogName).string());
    core->User = user;
    core->PasswordBytes = "secret";
    core->HandshakeAddress = address_;
    return core;
  }

  std::vector<std::string> Seen() const {
    std::vector<std::string> lines;
    std::ifstream in(seenPath_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::string LogText() const {
    std::ifstream in(dir_ / kScrobblerLogName, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::filesystem::path dir_;
  std::string seenPath_;
  std::string address_;
  pid_t peer_ = 0;
  int requests_ = 0;
};

TEST_F(ScrobblerPeerTest, SubmitsAndReusesTheChallenge) {
  auto core = Client("J\xC3\xBCrgen");
  core->ScheduleSubmission("\xC3\x84rzte & Co", "a b", "x&y", "", 200);
  core->SubmitTimerTimer();
  EXPECT_EQ(requests_, 2);
  EXPECT_TRUE(core->SubmitTrack({"A", "T", "B", "", "31", "2024-01-02 03:10:00"}));
  EXPECT_EQ(requests_, 3);  // no second handshake
  EXPECT_EQ(Seen(), (std::vector<std::string>{
                        "J\xC3\xBCrgen|\xC3\x84rzte & Co|a b|x&y|200|2024-01-02 03:04:05",
                        "J\xC3\xBCrgen|A|T|B|31|2024-01-02 03:10:00",
                    }));
}

TEST_F(ScrobblerPeerTest, BadAuthOnceThenOk) {
  auto core = Client("badauth-once");
  EXPECT_TRUE(core->SubmitTrack({"A", "T", "B", "", "200", "2024-01-02 03:04:05"}));
  EXPECT_EQ(requests_, 4);
  EXPECT_EQ(Seen().size(), 1u);
}

TEST_F(ScrobblerPeerTest, WrongPasswordFailsTwice) {
  auto core = Client("J\xC3\xBCrgen");
  core->PasswordBytes = "Secret";
  EXPECT_FALSE(core->SubmitTrack({"A", "T", "B", "", "200", "2024-01-02 03:04:05"}));
  EXPECT_EQ(requests_, 4);
  EXPECT_TRUE(Seen().empty());
  EXPECT_NE(LogText().find("[ERROR] Submitting error : BADAUTH"), std::string::npos);
}

TEST_F(ScrobblerPeerTest, RefusedHandshakes) {
  for (const char* user : {"baduser", "failed", "short", "err500"}) {
    auto core = Client(user);
    requests_ = 0;
    EXPECT_FALSE(core->SubmitTrack({"A", "T", "B", "", "200", "2024-01-02 03:04:05"})) << user;
    EXPECT_EQ(requests_, 1) << user;
  }
  const std::string log = LogText();
  EXPECT_NE(log.find("[ERROR] GetHandShake error : BADUSER\r\nINTERVAL 0\r\n"), std::string::npos);
  EXPECT_NE(log.find("[ERROR] GetHandShake error : FAILED Maintenance"), std::string::npos);
  EXPECT_NE(log.find("[ERROR] GetHandShake error : Internal Server Error"), std::string::npos);
}

}  // namespace
#endif
