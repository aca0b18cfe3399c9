// TScrobbler against a submission service played by a loopback peer: the
// timer, the handshake and the submission on the wire, the refusals and the
// retry, cancelling, the log file, and freeing the component inside its own
// request.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "desktop/SimpleTimer.h"
#include "net/win32/Scrobbler.h"
#include "tests/net/win32/HttpPeer.h"
#include "tests/net/win32/Peer.h"
#include "tests/support/TempFolder.h"

namespace {

using desktop::TSimpleTimer;
using nettest::HttpPeer;
using nettest::PumpUntil;
using nettest::SendAll;
using sv::net::SubmissionTrack;
using sv::net::TScrobbler;

// md5(md5("secret") in hex + "0123456789abcdef") in hex, from Python's hashlib.
const char kResponse[] = "0817658b3f7920b812895299823be3d4";
const char kChallenge[] = "0123456789abcdef";
const char kUser[] = "J\xC3\xBCrgen X";
const char kUserEncoded[] = "J%C3%BCrgen%20X";

std::string Reply(const std::string& body, const std::string& status = "200 OK") {
  return "HTTP/1.0 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// The service: the index-th connection gets the index-th reply; "hs" stands
// for a successful handshake pointing back at this peer.
struct Service {
  explicit Service(std::vector<std::string> replies)
      : peer(
            [this, replies](int index, SOCKET client) {
              if (peer.ReadRequest(client).empty() || index >= static_cast<int>(replies.size())) return;
              const std::string& reply = replies[static_cast<std::size_t>(index)];
              SendAll(client, reply == "hs" ? UpToDate() : reply);
            },
            static_cast<int>(replies.size())) {}
  std::string Address() const { return "http://127.0.0.1:" + peer.PortText(); }
  std::string UpToDate() const {
    return Reply(std::string("UPTODATE\n") + kChallenge + "\n" + Address() + "/submit\n");
  }
  HttpPeer peer;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

struct ScrobblerFixture : ::testing::Test {
  svtest::TempFolder folder;
  std::string logPath = svtest::PathToUtf8(folder / "sori-scrobbler.log");
  std::unique_ptr<TScrobbler> scrobbler = std::make_unique<TScrobbler>(nullptr, logPath);

  void Point(const std::string& address) {
    scrobbler->User = kUser;
    scrobbler->Password = "secret";
    scrobbler->HandshakeAddress = address;
  }
  // The log's messages, oldest first, without their dates; the lines of a
  // message that held line breaks are joined again.
  std::vector<std::string> LogMessages() const {
    static const std::regex dated(R"(\d\d-\d\d-\d{4} \d\d:\d\d:\d\d - .*)");
    std::vector<std::string> messages;
    for (const std::string& line : Lines(folder.Read("sori-scrobbler.log").value_or(""))) {
      if (std::regex_match(line, dated))
        messages.push_back(line.substr(22));
      else if (!messages.empty())
        messages.back() += "\n" + line;
      else
        ADD_FAILURE() << "undated first line: " << line;
    }
    return {messages.rbegin(), messages.rend()};
  }
  std::string Body(const std::string& request) const { return request.substr(request.find("\r\n\r\n") + 4); }
};

TEST_F(ScrobblerFixture, SubmitsHalfwayWithHandshakeThenReusesTheChallenge) {
  Service service({"hs", Reply("OK\n"), Reply("OK\n")});
  Point(service.Address());
  scrobbler->ScheduleSubmission("The Artist", "A Title", "Album", "", 31);
  TSimpleTimer& timer = scrobbler->SubmitTimer();
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 15500u);
  const SubmissionTrack first = scrobbler->PendingTrack();
  EXPECT_TRUE(std::regex_match(first.startTime, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)")));

  // The real timer, shortened so that the test need not wait 15 s.
  timer.SetInterval(30);
  ASSERT_TRUE(PumpUntil([&] { return service.peer.Requests().size() == 2; }));
  PumpUntil([&] { return scrobbler->LastResponse() == "OK\n"; }, 5000);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(scrobbler->Challenge(), kChallenge);
  EXPECT_EQ(scrobbler->SubmitURL(), service.Address() + "/submit");

  const std::vector<std::string> requests = service.peer.Requests();
  EXPECT_EQ(requests[0].substr(0, requests[0].find("\r\n")),
            std::string("GET /?hs=true&p=1.1&c=xvq&v=0.1&u=") + kUserEncoded + " HTTP/1.0");
  EXPECT_EQ(requests[1].substr(0, requests[1].find("\r\n")), "POST /submit HTTP/1.0");
  EXPECT_NE(requests[1].find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"), std::string::npos);
  EXPECT_EQ(Body(requests[1]), std::string("u=") + kUserEncoded + "&s=" + kResponse +
                                   "&a[0]=The%20Artist&t[0]=A%20Title&b[0]=Album&m[0]=&l[0]=31&i[0]=" +
                                   first.startTime);

  // The next track goes out with the stored challenge, without a handshake.
  EXPECT_TRUE(scrobbler->SubmitTrack({"B", "C", "D", "", "200", first.startTime}));
  ASSERT_EQ(service.peer.Requests().size(), 3u);
  EXPECT_EQ(service.peer.Requests()[2].substr(0, 5), "POST ");

  const std::vector<std::string> expected = {
      "[INFOS] Submitting in 15 seconds : The Artist - A Title",
      "[INFOS] Stop waiting submission",
      "[INFOS] Starting GetHandShake",
      "[INFOS] GetHandShake successfully! :o)",
      "[INFOS] Submitting the track : The Artist - A Title",
      "[INFOS] Submission succeed! :o)",
      "[INFOS] Submitting the track : B - C",
      "[INFOS] Submission succeed! :o)",
  };
  EXPECT_EQ(LogMessages(), expected);
}

TEST_F(ScrobblerFixture, RefusedHandshakesAreLoggedAndNothingIsSubmitted) {
  Service service({Reply("BADUSER\n"), Reply("FAILED Service down\n"), Reply("", "500 Internal Server Error"),
                   Reply("UPTODATE\nonly-a-challenge\n")});
  Point(service.Address());
  EXPECT_FALSE(scrobbler->GetHandShake());
  EXPECT_EQ(scrobbler->LastResponse(), "BADUSER\n");
  EXPECT_FALSE(scrobbler->SubmitTrack({"A", "T", "B", "", "100", "2026-01-01 00:00:00"}));
  EXPECT_EQ(scrobbler->LastResponse(), "FAILED Service down\n");
  EXPECT_FALSE(scrobbler->GetHandShake());
  EXPECT_EQ(scrobbler->LastResponse(), "Internal Server Error");
  EXPECT_FALSE(scrobbler->GetHandShake());
  EXPECT_TRUE(scrobbler->Challenge().empty());
  EXPECT_EQ(service.peer.Requests().size(), 4u);
  for (const std::string& request : service.peer.Requests()) EXPECT_EQ(request.substr(0, 4), "GET ");

  const std::vector<std::string> messages = LogMessages();
  ASSERT_EQ(messages.size(), 8u);
  EXPECT_EQ(messages[1], "[ERROR] GetHandShake error : BADUSER");
  EXPECT_EQ(messages[3], "[ERROR] GetHandShake error : FAILED Service down");
  EXPECT_EQ(messages[5], "[ERROR] GetHandShake error : Internal Server Error");
  // A reply that held line breaks is logged on as many lines.
  EXPECT_EQ(messages[7], "[ERROR] GetHandShake error : UPTODATE\nonly-a-challenge");
}

TEST_F(ScrobblerFixture, FailedSubmissionIsTriedOnceMoreAfterANewHandshake) {
  Service service({"hs", Reply("BADAUTH\n"), "hs", Reply("OK\n"), Reply("FAILED Plugin bug\n"), "hs",
                   Reply("BADAUTH\n")});
  Point(service.Address());
  const SubmissionTrack track{"A", "T", "B", "", "100", "2026-01-01 00:00:00"};
  EXPECT_TRUE(scrobbler->SubmitTrack(track));
  EXPECT_EQ(service.peer.Requests().size(), 4u);
  // The stored challenge is tried first; both attempts failing drop the track.
  EXPECT_FALSE(scrobbler->SubmitTrack(track));
  const std::vector<std::string> requests = service.peer.Requests();
  ASSERT_EQ(requests.size(), 7u);
  const char* kinds[] = {"GET ", "POST", "GET ", "POST", "POST", "GET ", "POST"};
  for (std::size_t i = 0; i < requests.size(); ++i) EXPECT_EQ(requests[i].substr(0, 4), kinds[i]) << i;
  EXPECT_EQ(Body(requests[6]), Body(requests[1]));
  EXPECT_TRUE(scrobbler->Challenge().empty());

  const std::vector<std::string> messages = LogMessages();
  ASSERT_EQ(messages.size(), 16u);
  EXPECT_EQ(messages[3], "[ERROR] Submitting error : BADAUTH");
  EXPECT_EQ(messages[4], "[INFOS] Second try...");
  EXPECT_EQ(messages[5], "[INFOS] Starting GetHandShake");
  EXPECT_EQ(messages[8], "[INFOS] Submission succeed! :o)");
  EXPECT_EQ(messages[10], "[ERROR] Submitting error : FAILED Plugin bug");
  EXPECT_EQ(messages[11], "[INFOS] Second try...");
  // The second failure ends it: no third try is announced.
  EXPECT_EQ(messages[15], "[ERROR] Submitting error : BADAUTH");
}

TEST_F(ScrobblerFixture, ShortTracksWaitsAndCancelling) {
  Service service({"hs", Reply("OK\n")});
  Point(service.Address());
  TSimpleTimer& timer = scrobbler->SubmitTimer();
  scrobbler->ScheduleSubmission("A", "Short", "B", "", 30);
  EXPECT_FALSE(timer.Enabled());
  scrobbler->ScheduleSubmission("A", "Long", "B", "", 600);
  EXPECT_EQ(timer.Interval(), 240000u);
  // A new track replaces the pending one.
  scrobbler->ScheduleSubmission("A", "Next", "B", "", 100);
  EXPECT_EQ(timer.Interval(), 50000u);
  EXPECT_EQ(scrobbler->PendingTrack().title, "Next");
  timer.SetInterval(20);
  scrobbler->StopWaitingSubmission();
  EXPECT_FALSE(timer.Enabled());
  nettest::PumpFor(300);
  EXPECT_EQ(service.peer.Accepts(), 0);

  const std::vector<std::string> expected = {
      "[INFOS] Submitting in 240 seconds : A - Long", "[INFOS] Stop waiting submission",
      "[INFOS] Submitting in 50 seconds : A - Next",  "[INFOS] Stop waiting submission",
  };
  EXPECT_EQ(LogMessages(), expected);
  scrobbler->EnableLogFile = false;
  scrobbler->WriteLog("not written");
  EXPECT_EQ(LogMessages(), expected);
}

TEST_F(ScrobblerFixture, NewTrackDuringASubmissionWaitsItsTurn) {
  Service service({"hs", Reply("OK\n")});
  Point(service.Address());
  scrobbler->ScheduleSubmission("First", "One", "B", "", 100);
  // Runs inside the request's message pump, as the player's own events do.
  std::atomic<bool> scheduled{false};
  TSimpleTimer player(10, [&](TSimpleTimer* self) {
    if (service.peer.Accepts() == 0) return;
    self->SetEnabled(false);
    scrobbler->ScheduleSubmission("Second", "Two", "B", "", 100);
    scheduled = true;
  });
  player.SetEnabled(true);
  scrobbler->SubmitTimer().SetInterval(20);
  ASSERT_TRUE(PumpUntil([&] { return service.peer.Requests().size() == 2 && scheduled; }));
  PumpUntil([&] { return scrobbler->LastResponse() == "OK\n"; }, 5000);
  EXPECT_NE(Body(service.peer.Requests()[1]).find("&a[0]=First&t[0]=One&"), std::string::npos);
  EXPECT_EQ(scrobbler->PendingTrack().artist, "Second");
  EXPECT_TRUE(scrobbler->SubmitTimer().Enabled());
  EXPECT_EQ(scrobbler->SubmitTimer().Interval(), 50000u);
}

TEST_F(ScrobblerFixture, FreedInsideItsOwnRequestGoesAfterItUnwinds) {
  std::atomic<bool> requested{false};
  std::atomic<bool> done{false};
  HttpPeer silent([&](int, SOCKET client) {
    // Reads the handshake and never answers: only an abort ends the call.
    requested = true;
    for (int i = 0; i < 2400 && !done; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  });
  Point("http://127.0.0.1:" + silent.PortText());
  scrobbler->ScheduleSubmission("A", "T", "B", "", 100);
  const unsigned timersBefore = desktop::SimpleTimerCount();
  TSimpleTimer closer(10, [&](TSimpleTimer* self) {
    if (!requested) return;
    self->SetEnabled(false);
    scrobbler.reset();
  });
  closer.SetEnabled(true);
  scrobbler->SubmitTimer().SetInterval(20);
  // The submission timer goes with the component once the request unwound.
  EXPECT_TRUE(PumpUntil([&] { return !scrobbler && desktop::SimpleTimerCount() == timersBefore; }, 120000));
  done = true;
  nettest::PumpFor(100);
  EXPECT_EQ(silent.Accepts(), 1);
  const std::vector<std::string> messages = LogMessages();
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().rfind("[ERROR] GetHandShake error : ", 0), 0u) << messages.back();
}

TEST_F(ScrobblerFixture, BothRequestsGoThroughTheProxyWhenOneIsSet) {
  HttpPeer* self = nullptr;
  HttpPeer proxy(
      [&self](int index, SOCKET client) {
        if (self->ReadRequest(client).empty()) return;
        SendAll(client, index == 0 ? Reply("UPTODATE\nc\nhttp://submit.invalid/x\n") : Reply("OK\n"));
      },
      2);
  self = &proxy;
  Point("http://handshake.invalid");
  scrobbler->ProxyAddress = "127.0.0.1";
  scrobbler->ProxyPort = proxy.PortText();
  EXPECT_TRUE(scrobbler->SubmitTrack({"A", "T", "B", "", "100", "2026-01-01 00:00:00"}));
  const std::vector<std::string> requests = proxy.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].rfind("GET http://handshake.invalid/?hs=true&p=1.1&c=xvq&v=0.1&u=", 0), 0u) << requests[0];
  EXPECT_EQ(requests[1].rfind("POST http://submit.invalid/x HTTP/1.0\r\n", 0), 0u) << requests[1];
}

TEST_F(ScrobblerFixture, PasswordIsHashedInTheAnsiCodePage) {
  if (GetACP() != 1252) GTEST_SKIP() << "needs the Western European ANSI code page";
  Service service({"hs", Reply("OK\n")});
  Point(service.Address());
  scrobbler->Password = "s\xC3\xA9" "cret";
  EXPECT_TRUE(scrobbler->SubmitTrack({"A", "T", "B", "", "100", "2026-01-01 00:00:00"}));
  ASSERT_EQ(service.peer.Requests().size(), 2u);
  // md5(md5("s\xE9" "cret") + challenge), the password as one byte per letter.
  EXPECT_NE(Body(service.peer.Requests()[1]).find("&s=283313e89ee32181295d42c52d7ba1fc&"), std::string::npos);
}

}  // namespace
