#pragma once
// The CD database lookup of an inserted disc: the query, the read of the
// chosen match, the cache file and the balloons. One lookup at a time; the
// main window's timer calls it, tests call it directly.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "player/CddbProtocol.h"
#include "player/CdTitle.h"
#include "player/app/Unit_NetRequest.h"

namespace player {

class CddbLookupRunner {
 public:
  // Settings file (proxy, server, hello host) and cache file, full paths.
  std::string SettingsPath;
  std::string CachePath;
  CdDrives* Drives = nullptr;
  NetLimits Limits;
  // IconType: 1 information, 3 error (as the tray icon takes it).
  std::function<void(std::string_view Title, std::string_view Text, int IconType, std::uint16_t TimeoutMs)>
      ShowBalloon;
  // After a match: the playlist's texts are built again.
  std::function<void()> OnMatch;

  bool Running() const { return running_; }
  // Looks the disc of this drive up; false without doing anything when a
  // lookup runs already. A drive without a disc is never looked up.
  bool Lookup(int drive);

 private:
  void Balloon(const std::string& text, int iconType);
  void Exchange(const std::string& section, const DiscQuery& disc);
  bool running_ = false;
};

}  // namespace player
