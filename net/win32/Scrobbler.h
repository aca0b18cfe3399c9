#pragma once
// TScrobbler: submits played tracks to the music-profile service. The
// protocol, the retry and the log live in ScrobblerCore; this component
// gives it the blocking THttpClient calls, a TSimpleTimer and the system
// clock. It never calls back into the player.
//
// Freeing is safe at any time, also from a handler that runs inside one of
// its own requests: the running request is aborted and the state it works
// on is released once it has unwound.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "forms/Component.h"
#include "net/core/ScrobblerProto.h"

namespace desktop {
class TSimpleTimer;
}

namespace sv::net {

class TScrobbler : public forms::TComponent {
 public:
  // Logs into kScrobblerLogName beside the executable.
  explicit TScrobbler(forms::TComponent* owner);
  // Logs into the file at logPath (UTF-8).
  TScrobbler(forms::TComponent* owner, std::string logPath);
  ~TScrobbler() override;

  // Read at the start of every operation; text is UTF-8.
  std::string User;
  std::string Password;  // plain text; hashed in the ANSI code page
  std::string ClientId = kScrobblerClientId;
  std::string ClientVersion = kScrobblerClientVersion;
  std::string ProxyUser;
  std::string ProxyPassword;
  std::string ProxyAddress;  // non-empty: both requests go through the proxy
  std::string ProxyPort;
  bool EnableLogFile = true;
  // The player sets it from HandshakeAddressFromSettings.
  std::string HandshakeAddress = kDefaultHandshakeAddress;

  const std::string& Challenge() const;
  const std::string& SubmitURL() const;
  const std::string& LastResponse() const;
  const SubmissionTrack& PendingTrack() const;
  const std::string& LogPath() const;
  // The owned submission timer: Enabled while a track waits.
  desktop::TSimpleTimer& SubmitTimer();

  // Cancels a pending track, then waits half of this one (at most 240 s)
  // unless it lasts 30 s or less.
  void ScheduleSubmission(std::string_view artist, std::string_view title, std::string_view album,
                          std::string_view m, std::int32_t lengthSeconds);
  // Pause and stop: the pending track is dropped.
  void StopWaitingSubmission();
  // The timer's handler: submits the pending track.
  void SubmitTimerTimer();
  bool GetHandShake();
  bool SubmitTrack(const SubmissionTrack& track);
  void WriteLog(std::string_view message);

  // A request may take this long in all; a silent service ends it sooner.
  static constexpr unsigned kIdleTimeoutMs = 30000;
  static constexpr unsigned kTotalTimeoutMs = 60000;

 private:
  struct Session;
  // Copies the fields into the core; returns the session, held for the
  // length of the call so that freeing this component meanwhile is safe.
  std::shared_ptr<Session> Enter();

  std::shared_ptr<Session> session_;
};

// The executable's folder + kScrobblerLogName.
std::string DefaultScrobblerLogPath();

}  // namespace sv::net
