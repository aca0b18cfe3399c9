// The main window's side of the CD lookup and the version check: their
// timers, and what they show through the window and the tray icon.
#include "base/Paths.h"
#include "forms/Wide.h"
#include "player/CddbProtocol.h"
#include "player/ShellOpen.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_NetRequest.h"

namespace player {

void TForm1::StartNetChecks() {
  Cddb = std::make_unique<CddbLookupRunner>();
  Cddb->SettingsPath = IniFileName;
  Cddb->CachePath = ExeFolder + kCddbCacheFileName;
  Cddb->Drives = Drives.get();
  Cddb->ShowBalloon = [this](std::string_view title, std::string_view text, int icon, std::uint16_t ms) {
    TrayIcon1->SetShowHint(true);
    TrayIcon1->ShowBalloon(title, text, icon, ms);
  };
  Cddb->OnMatch = [this] { MenuRefreshListeClick(nullptr); };

  Version = std::make_unique<VersionChecker>();
  Version->SettingsPath = IniFileName;
  Version->ShowMessage = [this](const std::string& text, UINT flags) {
    // A question the user must answer: a close meanwhile waits for it.
    Work dialog(*this, WorkKind::Dialog);
    return MessageBoxW(Handle(), forms::widen(text).c_str(), L"Sorivanel", flags);
  };
  Version->OpenPage = [this](const std::string& address) { ShellOpen(Handle(), address, ""); };
  Version->StopTimer = [this] {
    if (TimerCheckVersion) TimerCheckVersion->SetEnabled(false);
  };
  Version->Message = [](int number) { return LangMessage(number); };
}

void TForm1::TimerCDDBTimer() {
  TimerCDDB->SetEnabled(false);
  ++CddbTimerTicks;
  // A refresh during a lookup arms the timer again; that disc is asked for
  // by the lookup running, or at the next refresh when it fails. Once a close
  // waits, a new request would only hold it up.
  if (!Cddb || Cddb->Running() || CloseAsked || Closed) return;
  // A close meanwhile ends the request and comes once it has unwound.
  Work check(*this, WorkKind::NetCheck, [] { AbortNetRequests(); });
  Cddb->Lookup(TimerCDDB->Tag);
}

void TForm1::TimerCheckVersionTimer() {
  TimerCheckVersion->SetEnabled(false);
  if (!Version || CloseAsked || Closed) return;
  bool again = false;
  {
    Work check(*this, WorkKind::NetCheck, [] { AbortNetRequests(); });
    again = Version->QuietAttempt(TimerCheckVersion->Tag);
  }
  if (again && !Closed && !CloseAsked) TimerCheckVersion->SetEnabled(true);
}

bool TForm1::CheckNewVersion(bool Interactive) {
  if (!Version || CloseAsked || Closed) return false;
  Work check(*this, WorkKind::NetCheck, [] { AbortNetRequests(); });
  return Version->CheckNewVersion(Interactive);
}

}  // namespace player
