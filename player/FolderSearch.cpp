#include "player/FolderSearch.h"

#include <algorithm>

#include "player/Extensions.h"

namespace player {

FolderSearch::FolderSearch(FolderSource& source, const std::string& folder, bool subFolders, SearchQuery query,
                           SearchTagReaders readers, std::vector<std::string> supported, PathLess less,
                           MatchHandler onMatch)
    : source_(source),
      walk_(source, folder),
      walking_(subFolders),
      query_(std::move(query)),
      readers_(std::move(readers)),
      supported_(std::move(supported)),
      less_(std::move(less)),
      onMatch_(std::move(onMatch)) {
  if (!walking_) folders_ = walk_.Folders();
}

bool FolderSearch::Step() {
  if (walking_) {
    walk_.Step();
    if (walk_.Done()) {
      walking_ = false;
      folders_ = walk_.TakeFolders();
      std::stable_sort(folders_.begin(), folders_.end(), less_);
    }
    return true;
  }
  if (done_ >= folders_.size()) return false;
  const std::string& folder = folders_[done_];
  for (const WalkEntry& entry : source_.List(folder)) {
    if (entry.IsFolder || !IsSupportedFile(entry.Name, supported_)) continue;
    if (SearchMatches(query_, folder, entry.Name, readers_) && onMatch_) onMatch_(folder + entry.Name);
  }
  ++done_;
  return done_ < folders_.size();
}

}  // namespace player
