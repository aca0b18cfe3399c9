#pragma once
// The folder walks on the real disk: listings through the system's file
// search, identities from the volume serial number and file index.
#include "player/FolderWalk.h"

namespace player {

class DiskFolders : public FolderSource {
 public:
  std::vector<WalkEntry> List(const std::string& folder) override;
  std::optional<std::string> Identity(const std::string& folder) override;
};

}  // namespace player
