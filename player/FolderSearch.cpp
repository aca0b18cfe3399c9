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
      std::vector<std::string> found = walk_.TakeFolders();
      std::vector<std::vector<WalkEntry>> listings = walk_.TakeListings();
      std::vector<std::size_t> order(found.size());
      for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
      std::stable_sort(order.begin(), order.end(),
                       [&found, this](std::size_t a, std::size_t b) { return less_(found[a], found[b]); });
      for (const std::size_t i : order) {
        folders_.push_back(std::move(found[i]));
        listings_.push_back(std::move(listings[i]));
      }
    }
    return true;
  }
  if (done_ >= folders_.size()) return false;
  const std::string& folder = folders_[done_];
  const std::vector<WalkEntry> entries = listings_.empty() ? source_.List(folder) : std::move(listings_[done_]);
  for (const WalkEntry& entry : entries) {
    if (entry.IsFolder || !IsSupportedFile(entry.Name, supported_)) continue;
    if (SearchMatches(query_, folder, entry.Name, readers_) && onMatch_) onMatch_(folder + entry.Name);
  }
  ++done_;
  return done_ < folders_.size();
}

}  // namespace player
