#pragma once
// The search window's work, one folder per step so that the window can let
// messages through and see a cancel between folders: first the walk that
// finds the folders (all sub-folders, or the start alone), sorted once it is
// complete; then the matching of each folder's playable files, in the order
// the folder lists them.
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "player/FolderWalk.h"
#include "player/SearchMatch.h"

namespace player {

class FolderSearch {
 public:
  using PathLess = std::function<bool(const std::string& a, const std::string& b)>;
  using MatchHandler = std::function<void(const std::string& path)>;

  FolderSearch(FolderSource& source, const std::string& folder, bool subFolders, SearchQuery query,
               SearchTagReaders readers, std::vector<std::string> supported, PathLess less, MatchHandler onMatch);

  // One folder of work; false once everything is done.
  bool Step();
  bool Walking() const { return walking_; }
  std::size_t FolderCount() const { return folders_.size(); }
  std::size_t FoldersDone() const { return done_; }

 private:
  FolderSource& source_;
  FolderWalk walk_;
  bool walking_;
  SearchQuery query_;
  SearchTagReaders readers_;
  std::vector<std::string> supported_;
  PathLess less_;
  MatchHandler onMatch_;
  std::vector<std::string> folders_;
  // The walk's listings, so that no folder is listed twice; empty when
  // only the start folder is searched.
  std::vector<std::vector<WalkEntry>> listings_;
  std::size_t done_ = 0;
};

}  // namespace player
