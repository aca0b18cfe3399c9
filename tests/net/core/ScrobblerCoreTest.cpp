// The submission client's exchanges against a scripted HTTP function: the
// log lines and requests of each path, the one retry, the refusal of nested
// submissions, release during a request, and the log file's order, bounds
// and failures.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/TextFile.h"
#include "net/core/ScrobblerCore.h"

namespace {

using namespace sv::net;

constexpr CalendarTime kLocal{2024, 1, 2, 4, 4, 5};
constexpr CalendarTime kUtc{2024, 1, 2, 3, 4, 5};
constexpr char kChallenge[] = "0123456789abcdef0123456789abcdef";
constexpr char kResponse[] = "848b4c0f455377fdfcc23483a4c45e34";  // password "secret"

class TempDir {
 public:
  TempDir() {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("sv-scrobbler-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" + std::to_string(++serial));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return sv::PathToUtf8(path_ / name); }

 private:
  std::filesystem::path path_;
};

std::string ReadAll(const std::string& path) {
  try {
    return sv::ReadFileBytes(path);
  } catch (const sv::FileReadError&) {
    return "<missing>";
  }
}

// The file's lines in file order, without their CR LF.
std::vector<std::string> FileLines(const std::string& path) {
  std::vector<std::string> lines;
  std::string text = ReadAll(path);
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(text.substr(at) + "<no CR LF>");
      break;
    }
    lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

class ScrobblerCoreTest : public testing::Test {
 protected:
  struct Reply {
    bool failed;
    std::string text;
  };

  ScrobblerCoreTest() { Make(); }

  void Make() {
    ScrobblerHooks hooks;
    hooks.perform = [this](const ScrobblerHttpRequest& request) {
      requests.push_back(request);
      if (duringRequest) duringRequest();
      EXPECT_FALSE(replies.empty()) << "unexpected request " << request.url;
      if (replies.empty()) return ScrobblerHttpResult{true, "", "no reply scripted"};
      const Reply reply = replies.front();
      replies.pop_front();
      return reply.failed ? ScrobblerHttpResult{true, "", reply.text} : ScrobblerHttpResult{false, reply.text, ""};
    };
    hooks.clock = [] { return ClockReading{kLocal, kUtc}; };
    hooks.setTimer = [this](uint32_t ms) { timerMs = ms; };
    hooks.abort = [this] { ++aborts; };
    core = std::make_unique<ScrobblerCore>(std::move(hooks), logPath);
    core->User = "J\xC3\xBCrgen";
    core->PasswordBytes = "secret";
    core->HandshakeAddress = "http://127.0.0.1:4242";
  }

  // Log messages in the order they were written.
  std::vector<std::string> Messages() const {
    std::vector<std::string> lines = FileLines(logPath);
    std::vector<std::string> messages;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
      const std::string prefix = "02-01-2024 04:04:05 - ";
      messages.push_back(line->rfind(prefix, 0) == 0 ? line->substr(prefix.size()) : *line);
    }
    return messages;
  }

  void Handshakes(int n) {
    const std::string text = std::string("UPTODATE\n") + kChallenge + "\nhttp://127.0.0.1:4242/submit\n";
    for (int i = 0; i < n; ++i) replies.push_back({false, text});
  }

  TempDir dir;
  std::string logPath = dir.File(kScrobblerLogName);
  std::unique_ptr<ScrobblerCore> core;
  std::deque<Reply> replies;
  std::vector<ScrobblerHttpRequest> requests;
  std::function<void()> duringRequest;
  uint32_t timerMs = 0;
  int aborts = 0;
};

const std::string kHandshakeUrl = "http://127.0.0.1:4242/?hs=true&p=1.1&c=xvq&v=0.1&u=J%C3%BCrgen";
const std::string kBody = std::string("u=J%C3%BCrgen&s=") + kResponse +
                          "&a[0]=A%20b&t[0]=T%C3%AF&b[0]=x%26y&m[0]=&l[0]=200&i[0]=2024-01-02 03:04:05";

TEST_F(ScrobblerCoreTest, ScheduleArmsAndCancels) {
  core->ScheduleSubmission("A", "T", "B", "", 30);
  EXPECT_FALSE(core->Waiting());
  EXPECT_EQ(ReadAll(logPath), "<missing>");

  core->ScheduleSubmission("A", "T", "B", "", 31);
  EXPECT_TRUE(core->Waiting());
  EXPECT_EQ(timerMs, 15500u);
  EXPECT_EQ(core->PendingTrack().length, "31");
  EXPECT_EQ(core->PendingTrack().startTime, "2024-01-02 03:04:05");

  core->ScheduleSubmission("C", "D", "E", "", 600);
  EXPECT_EQ(timerMs, 240000u);
  EXPECT_EQ(core->PendingTrack().artist, "C");
  core->StopWaitingSubmission();
  core->StopWaitingSubmission();  // nothing waits: nothing logged
  EXPECT_FALSE(core->Waiting());
  EXPECT_EQ(timerMs, 0u);
  // A tick left in the queue after cancelling submits nothing.
  core->SubmitTimerTimer();
  EXPECT_TRUE(requests.empty());
  EXPECT_EQ(Messages(), (std::vector<std::string>{"[INFOS] Submitting in 15 seconds : A - T",
                                                 "[INFOS] Stop waiting submission",
                                                 "[INFOS] Submitting in 240 seconds : C - D",
                                                 "[INFOS] Stop waiting submission"}));
}

TEST_F(ScrobblerCoreTest, SubmitsThenReusesTheChallenge) {
  Handshakes(1);
  replies.push_back({false, "OK\n"});
  core->ScheduleSubmission("A b", "T\xC3\xAF", "x&y", "", 200);
  core->SubmitTimerTimer();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].post);
  EXPECT_EQ(requests[0].url, kHandshakeUrl);
  EXPECT_TRUE(requests[1].post);
  EXPECT_EQ(requests[1].url, "http://127.0.0.1:4242/submit");
  EXPECT_EQ(requests[1].body, kBody);
  EXPECT_EQ(core->Challenge(), kChallenge);
  EXPECT_FALSE(core->Waiting());
  EXPECT_EQ(timerMs, 0u);

  replies.push_back({false, "OK\n"});
  EXPECT_TRUE(core->SubmitTrack({"A", "T", "B", "", "100", "2024-01-02 03:10:00"}));
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_TRUE(requests[2].post);
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "[INFOS] Submitting in 100 seconds : A b - T\xC3\xAF",
                            "[INFOS] Stop waiting submission",
                            "[INFOS] Starting GetHandShake",
                            "[INFOS] GetHandShake successfully! :o)",
                            "[INFOS] Submitting the track : A b - T\xC3\xAF",
                            "[INFOS] Submission succeed! :o)",
                            "[INFOS] Submitting the track : A - T",
                            "[INFOS] Submission succeed! :o)",
                        }));
}

TEST_F(ScrobblerCoreTest, BadAuthRetriesOnceAfterANewHandshake) {
  Handshakes(1);
  replies.push_back({false, "BADAUTH\n"});
  Handshakes(1);
  replies.push_back({false, "OK\n"});
  EXPECT_TRUE(core->SubmitTrack({"A", "T", "B", "", "200", "t"}));
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[2].url, kHandshakeUrl);
  EXPECT_EQ(requests[1].body, requests[3].body);
}

TEST_F(ScrobblerCoreTest, TwoFailuresDropTheTrack) {
  Handshakes(1);
  replies.push_back({false, "FAILED Plugin bug\n"});
  Handshakes(1);
  replies.push_back({true, "Internal Server Error"});
  EXPECT_FALSE(core->SubmitTrack({"A", "T", "B", "", "200", "t"}));
  EXPECT_EQ(requests.size(), 4u);
  EXPECT_TRUE(core->Challenge().empty());
  EXPECT_EQ(core->LastResponse(), "Internal Server Error");
  EXPECT_EQ(Messages(), (std::vector<std::string>{
                            "[INFOS] Starting GetHandShake",
                            "[INFOS] GetHandShake successfully! :o)",
                            "[INFOS] Submitting the track : A - T",
                            "[ERROR] Submitting error : FAILED Plugin bug",
                            "[INFOS] Second try...",
                            "[INFOS] Starting GetHandShake",
                            "[INFOS] GetHandShake successfully! :o)",
                            "[INFOS] Submitting the track : A - T",
                            "[ERROR] Submitting error : Internal Server Error",
                        }));
}

TEST_F(ScrobblerCoreTest, StoredChallengeFailingLeadsToOneHandshake) {
  Handshakes(1);
  ASSERT_TRUE(core->GetHandShake());
  replies.push_back({false, "BADAUTH"});
  Handshakes(1);
  replies.push_back({false, "BADAUTH"});
  EXPECT_FALSE(core->SubmitTrack({"A", "T", "B", "", "200", "t"}));
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_TRUE(requests[1].post);
  EXPECT_FALSE(requests[2].post);
  EXPECT_TRUE(requests[3].post);
}

TEST_F(ScrobblerCoreTest, RefusedHandshakesEndWithoutSubmitting) {
  const char* const kReplies[] = {"BADUSER\nINTERVAL 0\n", "FAILED maintenance\n", "UPTODATE\n", "UPTODATE\nc\n",
                                  "", "UPDATE http://x\nc\nu\n", "\0UPTODATE\nc\nu\n"};
  for (const char* text : kReplies) {
    requests.clear();
    replies.push_back({false, text});
    EXPECT_FALSE(core->SubmitTrack({"A", "T", "B", "", "200", "t"})) << text;
    EXPECT_EQ(requests.size(), 1u) << text;
    EXPECT_TRUE(core->Challenge().empty());
  }
  replies.push_back({true, "Not Found"});
  EXPECT_FALSE(core->GetHandShake());
  EXPECT_EQ(Messages().back(), "[ERROR] GetHandShake error : Not Found");
}

TEST_F(ScrobblerCoreTest, TickDuringASubmissionIsRearmedNotNested) {
  Handshakes(1);
  replies.push_back({false, "OK\n"});
  replies.push_back({false, "OK\n"});
  core->ScheduleSubmission("A", "T", "B", "", 100);
  duringRequest = [this] {
    if (requests.size() != 2) return;
    // Inside the POST's message pump: the next track starts and its timer
    // fires before the request returns.
    core->ScheduleSubmission("N", "Next", "B", "", 40);
    core->SubmitTimerTimer();
    EXPECT_EQ(timerMs, ScrobblerCore::kBusyRetryMs);
    EXPECT_FALSE(core->GetHandShake());
    EXPECT_FALSE(core->SubmitTrack({"X", "Y", "Z", "", "99", "t"}));
  };
  core->SubmitTimerTimer();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_NE(requests[1].body.find("&t[0]=T&"), std::string::npos);
  EXPECT_TRUE(core->Waiting());
  EXPECT_EQ(core->PendingTrack().title, "Next");

  duringRequest = nullptr;
  core->SubmitTimerTimer();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_NE(requests[2].body.find("&t[0]=Next&"), std::string::npos);
  EXPECT_FALSE(core->Waiting());
}

TEST_F(ScrobblerCoreTest, ReleasedDuringItsRequestGoesAfterUnwinding) {
  Handshakes(1);
  replies.push_back({true, "Aborted"});
  bool released = false;
  core->ScheduleSubmission("A", "T", "B", "", 100);
  duringRequest = [&] {
    if (requests.size() != 2) return;
    core->ReleaseWhenIdle([&] {
      released = true;
      core.reset();
    });
    EXPECT_FALSE(released);
    EXPECT_EQ(aborts, 1);
    EXPECT_EQ(timerMs, 0u);
    // The released client takes no new work.
    core->ScheduleSubmission("N", "Next", "B", "", 100);
    EXPECT_FALSE(core->Waiting());
  };
  core->SubmitTimerTimer();
  EXPECT_TRUE(released);
  EXPECT_EQ(core, nullptr);
  EXPECT_EQ(requests.size(), 2u);  // no second try after the abort
}

TEST_F(ScrobblerCoreTest, ReleaseWhenIdleIsImmediate) {
  bool released = false;
  core->ReleaseWhenIdle([&] { released = true; });
  EXPECT_TRUE(released);
  EXPECT_EQ(aborts, 0);
}

TEST_F(ScrobblerCoreTest, OtherErrorsPassThroughAndLeaveTheClientUsable) {
  duringRequest = [] { throw std::runtime_error("out of memory"); };
  EXPECT_THROW(core->GetHandShake(), std::runtime_error);
  EXPECT_FALSE(core->Busy());
  duringRequest = nullptr;
  Handshakes(1);
  EXPECT_TRUE(core->GetHandShake());

  bool released = false;
  duringRequest = [&] {
    core->ReleaseWhenIdle([&] {
      released = true;
      core.reset();
    });
    throw std::runtime_error("boom");
  };
  EXPECT_THROW(core->SubmitTrack({"A", "T", "B", "", "200", "t"}), std::runtime_error);
  EXPECT_TRUE(released);
}

TEST_F(ScrobblerCoreTest, LogFailuresNeverReachTheCaller) {
  // The log's path is a folder: every write fails.
  std::filesystem::create_directories(sv::PathFromUtf8(logPath));
  Handshakes(1);
  replies.push_back({false, "OK\n"});
  core->ScheduleSubmission("A", "T", "B", "", 100);
  EXPECT_NO_THROW(core->SubmitTimerTimer());
  EXPECT_EQ(requests.size(), 2u);
}

TEST_F(ScrobblerCoreTest, DisabledLogWritesNothing) {
  core->EnableLogFile = false;
  core->ScheduleSubmission("A", "T", "B", "", 100);
  EXPECT_EQ(ReadAll(logPath), "<missing>");
}

TEST_F(ScrobblerCoreTest, HostileReplyIsLoggedCutAndCleaned) {
  replies.push_back({false, std::string(100000, 'x') + "\x01\x1b[2J"});
  EXPECT_FALSE(core->GetHandShake());
  const std::string text = ReadAll(logPath);
  // Two lines: the handshake's start and the error cut to the message bound.
  EXPECT_LE(text.size(), ScrobblerLog::kMaxMessageBytes + 128);
  replies.push_back({false, "FAILED \x01\x1b[2J\xff\xfe\n"});
  EXPECT_FALSE(core->GetHandShake());
  EXPECT_EQ(FileLines(logPath)[0],
            "02-01-2024 04:04:05 - [ERROR] GetHandShake error : FAILED ??[2J\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(ScrobblerLog, NewestFirstAndBoundedInLines) {
  TempDir dir;
  ScrobblerLog log(dir.File("a.log"));
  for (int i = 1; i <= 101; ++i) ASSERT_TRUE(log.Write(kLocal, "line " + std::to_string(i)));
  const std::vector<std::string> lines = FileLines(dir.File("a.log"));
  ASSERT_EQ(lines.size(), 100u);
  EXPECT_EQ(lines.front(), "02-01-2024 04:04:05 - line 101");
  EXPECT_EQ(lines.back(), "02-01-2024 04:04:05 - line 2");

  // A message of several lines keeps their order and counts each of them.
  ASSERT_TRUE(log.Write(kLocal, "first\nsecond\r\nthird"));
  const std::vector<std::string> after = FileLines(dir.File("a.log"));
  ASSERT_EQ(after.size(), 100u);
  EXPECT_EQ(after[0], "02-01-2024 04:04:05 - first");
  EXPECT_EQ(after[1], "second");
  EXPECT_EQ(after[2], "third");
  EXPECT_EQ(after[3], "02-01-2024 04:04:05 - line 101");
  EXPECT_EQ(after.back(), "02-01-2024 04:04:05 - line 5");
}

TEST(ScrobblerLog, BoundedInBytesKeepingTheNewest) {
  EXPECT_EQ(ScrobblerLog::Prepend("old1\nold2\rold3\r\n", "new", 100, 1000), "new\r\nold1\r\nold2\r\nold3\r\n");
  EXPECT_EQ(ScrobblerLog::Prepend("old1\r\nold2\r\n", "new", 100, 12), "new\r\nold1\r\n");
  EXPECT_EQ(ScrobblerLog::Prepend("old1\r\nold2\r\n", "new", 1, 1000), "new\r\n");
  TempDir dir;
  ScrobblerLog log(dir.File("b.log"), ScrobblerLog::kMaxLines, 4096);
  for (int i = 0; i < 50; ++i) ASSERT_TRUE(log.Write(kLocal, std::string(1000, 'a' + i % 26)));
  const std::string text = ReadAll(dir.File("b.log"));
  EXPECT_LE(text.size(), 4096u);
  EXPECT_EQ(text.substr(22, 5), std::string(5, 'a' + 49 % 26));
}

TEST(ScrobblerLog, WriteFailureKeepsTheOldFileAndReportsFalse) {
  TempDir dir;
  EXPECT_FALSE(ScrobblerLog(dir.File("missing-folder/c.log")).Write(kLocal, "x"));
  // An oversized or foreign file is replaced by a fresh log, in UTF-8.
  const std::string path = dir.File("d.log");
  std::ofstream(sv::PathFromUtf8(path), std::ios::binary) << "caf\xE9\r\n";
  ASSERT_TRUE(ScrobblerLog(path).Write(kLocal, "new"));
  EXPECT_EQ(FileLines(path), (std::vector<std::string>{"02-01-2024 04:04:05 - new", "caf\xC3\xA9"}));
}

}  // namespace
