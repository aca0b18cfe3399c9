#pragma once
// The check for a newer version on the maker's site: quiet from the main
// window's timer, interactive from the about page. One check at a time: a
// check asked for while another runs (its boxes included) returns false.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "player/app/Unit_NetRequest.h"

namespace player {

class VersionChecker {
 public:
  std::string SettingsPath;  // proxy and the maker's site
  NetLimits Limits;
  // A message box titled "Sorivanel"; returns the button pressed.
  std::function<int(const std::string& text, UINT flags)> ShowMessage;
  std::function<void(const std::string& address)> OpenPage;
  // The quiet check's timer is stopped once a request succeeds.
  std::function<void()> StopTimer;
  // The numbered texts of the language file.
  std::function<std::string(int number)> Message;

  bool Running() const { return running_; }
  // True when the version file was read (whatever it said).
  bool CheckNewVersion(bool Interactive);
  // One tick of the quiet check's timer: counts the attempt and says whether
  // the timer goes on (the request failed and fewer than 11 were made).
  // Skipped without counting while a check runs.
  bool QuietAttempt(std::int32_t& attempts);

 private:
  void Offer(const std::string& text, UINT flags, const std::string& site);
  bool running_ = false;
};

}  // namespace player
