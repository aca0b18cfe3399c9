#include "net/core/ScrobblerCore.h"

#include <utility>

namespace sv::net {

ScrobblerCore::BusyScope::~BusyScope() {
  if (--core_.depth_ > 0 || !core_.release_) return;
  // The owner may go with this call: nothing of the core is touched after.
  std::function<void()> release = std::move(core_.release_);
  try {
    release();
  } catch (...) {
    // A failed release leaves the client alive, which is harmless.
  }
}

ScrobblerCore::ScrobblerCore(ScrobblerHooks hooks, std::string logPath)
    : hooks_(std::move(hooks)), log_(std::move(logPath)) {}

void ScrobblerCore::WriteLog(std::string_view message) {
  if (EnableLogFile) log_.Write(hooks_.clock().local, message);
}

void ScrobblerCore::StopWaitingSubmission() {
  if (!waiting_) return;
  waiting_ = false;
  hooks_.setTimer(0);
  WriteLog("[INFOS] Stop waiting submission");
}

void ScrobblerCore::ScheduleSubmission(std::string_view artist, std::string_view title, std::string_view album,
                                       std::string_view m, int32_t lengthSeconds) {
  if (releasing_) return;
  StopWaitingSubmission();
  const std::optional<uint32_t> delay = SubmissionDelayMs(lengthSeconds);
  if (!delay) return;
  pending_ = SubmissionTrack{std::string(artist), std::string(title), std::string(album), std::string(m),
                             std::to_string(lengthSeconds), FormatSubmissionTime(hooks_.clock().utc)};
  waiting_ = true;
  hooks_.setTimer(*delay);
  WriteLog("[INFOS] Submitting in " + std::to_string(*delay / 1000) + " seconds : " + pending_.artist + " - " +
           pending_.title);
}

void ScrobblerCore::SubmitTimerTimer() {
  // A tick left over from a cancelled wait submits nothing.
  if (releasing_ || !waiting_) return;
  if (Busy()) {
    // Submitting now would nest inside the running request's message pump
    // and change its handshake values under it.
    hooks_.setTimer(kBusyRetryMs);
    WriteLog("[INFOS] Submission in progress, waiting " + std::to_string(kBusyRetryMs / 1000) + " seconds");
    return;
  }
  StopWaitingSubmission();
  SubmitTrack(pending_);
}

ScrobblerHttpResult ScrobblerCore::Perform(const ScrobblerHttpRequest& request) {
  ScrobblerHttpResult result = hooks_.perform(request);
  lastResponse_ = result.failed ? result.reason : ReplyText(result.body);
  return result;
}

bool ScrobblerCore::GetHandShake() {
  if (Busy() || releasing_) return false;
  BusyScope busy(*this);
  return HandShake();
}

bool ScrobblerCore::HandShake() {
  WriteLog("[INFOS] Starting GetHandShake");
  challenge_.clear();
  ScrobblerHttpRequest request;
  request.url = HandshakeUrl(HandshakeAddress, ClientId, ClientVersion, User);
  const ScrobblerHttpResult result = Perform(request);
  if (!result.failed) {
    HandshakeReply reply = ParseHandshakeReply(lastResponse_);
    if (reply.ok) {
      challenge_ = std::move(reply.challenge);
      submitUrl_ = std::move(reply.submitUrl);
      WriteLog("[INFOS] GetHandShake successfully! :o)");
      return true;
    }
  }
  WriteLog("[ERROR] GetHandShake error : " + lastResponse_);
  return false;
}

bool ScrobblerCore::SubmitTrack(SubmissionTrack track) {
  if (Busy() || releasing_) return false;
  BusyScope busy(*this);
  return Submit(track);
}

bool ScrobblerCore::Submit(const SubmissionTrack& track) {
  for (int attempt = 1; !releasing_ && (!challenge_.empty() || HandShake()); ++attempt) {
    WriteLog("[INFOS] Submitting the track : " + track.artist + " - " + track.title);
    // This attempt's values, whatever runs inside the request's pump.
    ScrobblerHttpRequest request;
    request.post = true;
    request.url = submitUrl_;
    request.body = SubmissionBody(User, ChallengeResponse(PasswordBytes, challenge_), track);
    const ScrobblerHttpResult result = Perform(request);
    if (!result.failed && ParseSubmissionReply(lastResponse_).ok) {
      WriteLog("[INFOS] Submission succeed! :o)");
      return true;
    }
    WriteLog("[ERROR] Submitting error : " + lastResponse_);
    if (attempt == 1) WriteLog("[INFOS] Second try...");
    challenge_.clear();
    if (attempt == 2) break;
  }
  return false;
}

void ScrobblerCore::ReleaseWhenIdle(std::function<void()> release) {
  if (!Busy()) {
    release();
    return;
  }
  releasing_ = true;
  release_ = std::move(release);
  waiting_ = false;
  hooks_.setTimer(0);
  if (hooks_.abort) hooks_.abort();
}

}  // namespace sv::net
