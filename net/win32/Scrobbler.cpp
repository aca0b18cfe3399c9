#include "net/win32/Scrobbler.h"

#include <windows.h>

#include <utility>

#include "desktop/SimpleTimer.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "net/core/ScrobblerCore.h"
#include "net/core/platform/ScrobblerSystemClock.h"
#include "net/win32/HttpClient.h"

namespace sv::net {

namespace {

// The password's bytes in the ANSI code page, as the service hashes them.
std::string AnsiBytes(std::string_view utf8) {
  const std::wstring wide = forms::widen(utf8);
  if (wide.empty()) return {};
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

}  // namespace

// What a running request works on. The component holds it, and so does
// every call into the core for its length, so that the component may be
// freed from inside a request.
struct TScrobbler::Session : std::enable_shared_from_this<TScrobbler::Session> {
  explicit Session(std::string path)
      : logPath(std::move(path)),
        core(ScrobblerHooks{[this](const ScrobblerHttpRequest& request) { return Perform(request); },
                            &ReadScrobblerClock, [this](std::uint32_t ms) { SetTimer(ms); },
                            [this] { Abort(); }},
             logPath),
        timer(desktop::TSimpleTimer::CreateWithHandler(30000, [this](desktop::TSimpleTimer*) { Tick(); })) {}

  void Tick() {
    std::shared_ptr<Session> held = shared_from_this();
    forms::Guarded([&] {
      if (owner) owner->SubmitTimerTimer();
    });
  }

  void SetTimer(std::uint32_t ms) {
    if (ms == 0) {
      timer->SetEnabled(false);
      return;
    }
    timer->SetInterval(ms);
    timer->SetEnabled(true);
  }

  void Abort() {
    if (active) active->Abort();
  }

  ScrobblerHttpResult Perform(const ScrobblerHttpRequest& request) {
    THttpClient client(nullptr);
    StringByteStream received;
    StringByteStream sent(request.body);
    client.MultiThreaded = true;
    client.ReceiveStream = &received;
    client.SendStream = &sent;
    client.URL = request.url;
    client.IdleTimeout = kIdleTimeoutMs;
    client.TotalTimeout = kTotalTimeoutMs;
    // Only the first bytes of a reply are ever read.
    client.MaxBodySize = static_cast<std::int64_t>(kMaxReplyBytes);
    if (owner && !owner->ProxyAddress.empty()) {
      client.ProxyUsername = owner->ProxyUser;
      client.ProxyPassword = owner->ProxyPassword;
      client.Proxy = owner->ProxyAddress;
      client.ProxyPort = owner->ProxyPort;
    }
    // Freeing the component aborts this request through the slot.
    active = &client;
    struct ActiveScope {
      THttpClient*& slot;
      ~ActiveScope() { slot = nullptr; }
    } activeScope{active};

    ScrobblerHttpResult result;
    try {
      if (request.post)
        client.Post();
      else
        client.Get();
    } catch (const EHttpException& e) {
      result.failed = true;
      result.reason = client.ReasonPhrase().empty() ? e.Message() : client.ReasonPhrase();
      return result;
    }
    if (client.StatusCode() < 200 || client.StatusCode() > 299) {
      result.failed = true;
      result.reason = client.ReasonPhrase();
      return result;
    }
    result.body = received.Data();
    return result;
  }

  std::string logPath;
  ScrobblerCore core;
  std::unique_ptr<desktop::TSimpleTimer> timer;
  TScrobbler* owner = nullptr;  // null once the component is freed
  THttpClient* active = nullptr;
};

std::string DefaultScrobblerLogPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return kScrobblerLogName;
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return kScrobblerLogName;
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  path.erase(slash == std::wstring::npos ? 0 : slash + 1);
  return forms::narrow(path) + kScrobblerLogName;
}

TScrobbler::TScrobbler(forms::TComponent* owner) : TScrobbler(owner, DefaultScrobblerLogPath()) {}

TScrobbler::TScrobbler(forms::TComponent* owner, std::string logPath)
    : forms::TComponent(owner), session_(std::make_shared<Session>(std::move(logPath))) {
  session_->owner = this;
}

TScrobbler::~TScrobbler() {
  session_->owner = nullptr;
  // A request on the stack holds the session too: the core ends it, and
  // the session goes once the last holder has unwound.
  ScrobblerCore& core = session_->core;
  core.ReleaseWhenIdle([held = std::move(session_)]() mutable { held.reset(); });
}

std::shared_ptr<TScrobbler::Session> TScrobbler::Enter() {
  ScrobblerCore& core = session_->core;
  core.User = User;
  core.PasswordBytes = AnsiBytes(Password);
  core.ClientId = ClientId;
  core.ClientVersion = ClientVersion;
  core.HandshakeAddress = HandshakeAddress;
  core.EnableLogFile = EnableLogFile;
  return session_;
}

const std::string& TScrobbler::Challenge() const { return session_->core.Challenge(); }
const std::string& TScrobbler::SubmitURL() const { return session_->core.SubmitURL(); }
const std::string& TScrobbler::LastResponse() const { return session_->core.LastResponse(); }
const SubmissionTrack& TScrobbler::PendingTrack() const { return session_->core.PendingTrack(); }
const std::string& TScrobbler::LogPath() const { return session_->logPath; }
desktop::TSimpleTimer& TScrobbler::SubmitTimer() { return *session_->timer; }

void TScrobbler::ScheduleSubmission(std::string_view artist, std::string_view title, std::string_view album,
                                    std::string_view m, std::int32_t lengthSeconds) {
  Enter()->core.ScheduleSubmission(artist, title, album, m, lengthSeconds);
}

void TScrobbler::StopWaitingSubmission() { Enter()->core.StopWaitingSubmission(); }

void TScrobbler::SubmitTimerTimer() { Enter()->core.SubmitTimerTimer(); }

bool TScrobbler::GetHandShake() { return Enter()->core.GetHandShake(); }

bool TScrobbler::SubmitTrack(const SubmissionTrack& track) { return Enter()->core.SubmitTrack(track); }

void TScrobbler::WriteLog(std::string_view message) { Enter()->core.WriteLog(message); }

}  // namespace sv::net
