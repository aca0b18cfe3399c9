#include "player/app/Unit_CheckVersion.h"

#include "base/IniFile.h"
#include "player/ProgramVersion.h"
#include "player/Settings.h"
#include "player/VersionReply.h"

namespace player {

namespace {

constexpr std::int32_t kQuietAttempts = 11;

class HourGlass {
 public:
  explicit HourGlass(bool on) : previous_(on ? SetCursor(LoadCursorW(nullptr, IDC_WAIT)) : nullptr), on_(on) {}
  ~HourGlass() {
    if (on_) SetCursor(previous_ ? previous_ : LoadCursorW(nullptr, IDC_ARROW));
  }
  HourGlass(const HourGlass&) = delete;
  HourGlass& operator=(const HourGlass&) = delete;

 private:
  HCURSOR previous_;
  bool on_;
};

}  // namespace

void VersionChecker::Offer(const std::string& text, UINT flags, const std::string& site) {
  if (ShowMessage && ShowMessage(text, flags) == IDYES && OpenPage) OpenPage(site);
}

bool VersionChecker::CheckNewVersion(bool Interactive) {
  if (running_) return false;
  running_ = true;
  struct Release {
    bool& running;
    ~Release() { running = false; }
  } release{running_};
  const auto text = [this](int number) { return Message ? Message(number) : std::string(); };

  std::string site;
  NetReply reply;
  {
    HourGlass cursor(Interactive);
    const sv::IniFile settings(SettingsPath);
    site = MakerSiteFromSettings(settings);
    reply = HttpGet(VersionFileUrl(site), SettingsFile(SettingsPath).ReadProxy(), Limits);
  }
  const auto version = reply.Ok ? ParseVersionReply(reply.Body) : std::nullopt;
  if (reply.Ok && !version) reply.Reason = "invalid reply";
  if (!version) {
    if (Interactive) Offer(text(19) + "\r\n" + reply.Reason + "\r\n" + text(17), MB_ICONERROR | MB_YESNO, site);
    return false;
  }
  if (StopTimer) StopTimer();
  if (IsNewerVersion(*version, kProgramVersion))
    Offer(text(16) + "\r\n\r\n" + text(17), MB_ICONWARNING | MB_YESNO, site);
  else if (Interactive && ShowMessage)
    ShowMessage(text(18), MB_ICONQUESTION | MB_OK);
  return true;
}

bool VersionChecker::QuietAttempt(std::int32_t& attempts) {
  if (running_) return true;
  ++attempts;
  return !CheckNewVersion(false) && attempts < kQuietAttempts;
}

}  // namespace player
