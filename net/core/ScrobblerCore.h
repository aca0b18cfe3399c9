#pragma once
// The track-submission client without its Win32 parts: scheduling, the
// handshake, the submission with one retry, and the log. HTTP, the clock and
// the timer are injected, so `TScrobbler` only wires `THttpClient` and a
// `TSimpleTimer` to it and the whole exchange is testable natively.
//
// What the Win32 glue must do:
// - perform: run the blocking `Get`/`Post` (proxy fields from its own
//   settings, content type "application/x-www-form-urlencoded") and return
//   the body, or failed + `ReasonPhrase` when it raised `EHttpException` or
//   the status was not 2xx. Other exceptions pass through the core.
// - setTimer(ms): `Interval` := ms and `Enabled` := true; 0 disables.
//   `OnTimer` calls SubmitTimerTimer.
// - abort: ends the client's running request so that perform returns soon.
// - Freeing: while Busy(), the glue must not delete the object that owns
//   the core. It calls ReleaseWhenIdle with a function that deletes it; the
//   core calls that function once the outermost submission has unwound out
//   of the core. Since the tick that started the submission is still on the
//   stack of the glue's timer then, the function should post the delete to
//   the message queue rather than delete at once.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "net/core/ScrobblerClock.h"
#include "net/core/ScrobblerLog.h"
#include "net/core/ScrobblerProto.h"

namespace sv::net {

struct ScrobblerHttpRequest {
  bool post = false;
  std::string url;
  std::string body;  // POST only
};

struct ScrobblerHttpResult {
  bool failed = false;  // the request ended with an HTTP error
  std::string body;     // the received bytes
  std::string reason;   // the reason phrase when failed
};

struct ScrobblerHooks {
  std::function<ScrobblerHttpResult(const ScrobblerHttpRequest&)> perform;
  ScrobblerClockFn clock;
  std::function<void(uint32_t ms)> setTimer;
  std::function<void()> abort;  // may be empty
};

class ScrobblerCore {
 public:
  // A tick that arrives while a submission runs waits this long again.
  static constexpr uint32_t kBusyRetryMs = 5000;

  ScrobblerCore(ScrobblerHooks hooks, std::string logPath);
  ScrobblerCore(const ScrobblerCore&) = delete;
  ScrobblerCore& operator=(const ScrobblerCore&) = delete;

  std::string User;           // UTF-8
  std::string PasswordBytes;  // hashed as they are: the glue converts to the ANSI code page
  std::string ClientId = kScrobblerClientId;
  std::string ClientVersion = kScrobblerClientVersion;
  std::string HandshakeAddress = kDefaultHandshakeAddress;
  bool EnableLogFile = true;

  const std::string& Challenge() const { return challenge_; }
  const std::string& SubmitURL() const { return submitUrl_; }
  const std::string& LastResponse() const { return lastResponse_; }
  const SubmissionTrack& PendingTrack() const { return pending_; }
  bool Waiting() const { return waiting_; }
  bool Busy() const { return depth_ > 0; }

  // Cancels a pending track, then arms the timer for this one unless it
  // lasts 30 s or less.
  void ScheduleSubmission(std::string_view artist, std::string_view title, std::string_view album,
                          std::string_view m, int32_t lengthSeconds);
  // Pause, stop and the next track: the pending track is dropped.
  void StopWaitingSubmission();
  // The timer's handler: submits the pending track, or re-arms a short wait
  // when a submission is already running further up the stack.
  void SubmitTimerTimer();

  // Both refuse (false) while a submission runs.
  bool GetHandShake();
  bool SubmitTrack(SubmissionTrack track);

  // A dated line in the log when EnableLogFile; never raises.
  void WriteLog(std::string_view message);

  // Frees the owner: at once when idle, else after the running submission
  // unwinds, which is aborted first. Nothing is scheduled or submitted from
  // then on.
  void ReleaseWhenIdle(std::function<void()> release);

 private:
  // Marks a running submission; the outermost one, on leaving, hands over
  // to a release requested meanwhile.
  class BusyScope {
   public:
    explicit BusyScope(ScrobblerCore& core) : core_(core) { ++core_.depth_; }
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    ScrobblerCore& core_;
  };

  bool HandShake();
  bool Submit(const SubmissionTrack& track);
  ScrobblerHttpResult Perform(const ScrobblerHttpRequest& request);

  ScrobblerHooks hooks_;
  ScrobblerLog log_;
  std::string challenge_;
  std::string submitUrl_;
  std::string lastResponse_;
  SubmissionTrack pending_;
  bool waiting_ = false;
  int depth_ = 0;
  bool releasing_ = false;
  std::function<void()> release_;
};

}  // namespace sv::net
