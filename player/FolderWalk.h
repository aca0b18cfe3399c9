#pragma once
// Walks over folders that cannot run away: every folder is entered at most
// once (by its identity on the disk, so a link back to a parent is seen for
// what it is), and never deeper than kMaxWalkDepth below the start. The disk
// is reached through FolderSource, so the rules hold the same in tests.
#include <functional>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

namespace player {

inline constexpr int kMaxWalkDepth = 64;

struct WalkEntry {
  std::string Name;  // never "." or ".."
  bool IsFolder = false;
  bool IsLink = false;  // a reparse point
};

class FolderSource {
 public:
  virtual ~FolderSource() = default;
  // The entries of a folder (given with its trailing backslash) in the
  // system's order; empty when it cannot be listed.
  virtual std::vector<WalkEntry> List(const std::string& folder) = 0;
  // What names the folder on its volume whatever the path to it (volume and
  // file number), or nothing when that cannot be learnt.
  virtual std::optional<std::string> Identity(const std::string& folder) = 0;
};

// The folders a walk has entered, by identity. Identities cost a look at
// the disk each, so they are learnt only once the walk meets its first
// link: a tree without links needs none.
class VisitedFolders {
 public:
  // Whether a folder found now is to be entered, recording it when so: not
  // when its identity was met before, nor when it is a link whose identity
  // is unknown.
  bool Admit(FolderSource& source, const std::string& folder, bool isLink);

 private:
  bool tracking_ = false;
  std::vector<std::string> untracked_;  // entered before the first link
  std::unordered_set<std::string> seen_;
};

// The folders below a start folder in the order they are found: the start
// first, then the sub-folders of each listed folder after all found so far.
// Each path ends with a backslash. A folder whose identity was seen already
// is left out, and so is a linked folder whose identity is unknown.
class FolderWalk {
 public:
  FolderWalk(FolderSource& source, const std::string& start);

  // Lists the next folder; false once every folder found has been listed.
  bool Step();
  bool Done() const { return next_ >= folders_.size(); }
  const std::vector<std::string>& Folders() const { return folders_; }
  std::vector<std::string> TakeFolders() { return std::move(folders_); }
  // What each listed folder held, in the order of Folders(); a folder not
  // listed (too deep) has none.
  std::vector<std::vector<WalkEntry>> TakeListings() { return std::move(listings_); }

 private:
  FolderSource& source_;
  std::vector<std::string> folders_;
  std::vector<int> depths_;
  std::vector<std::vector<WalkEntry>> listings_;
  VisitedFolders visited_;
  std::size_t next_ = 0;
};

// The whole walk at once.
std::vector<std::string> WalkAllFolders(FolderSource& source, const std::string& start);

// The nodes of one base folder of the folder tree, in tree order, as
// (level, text): the base itself at level 0 (its path with a trailing
// backslash), then its sub-folders and ".m3u"/".pls" files. Folders down to
// level kTreeListDepth - 1 are listed, so level kTreeListDepth shows without
// children. A linked folder that leads to a folder already in this base's
// tree is shown but not listed. Children are ordered by `less`; afterEach
// runs after each folder listed; once `stop` answers true no further folder
// is listed (the lines are then incomplete).
inline constexpr int kTreeListDepth = 10;

struct TreeLine {
  int Level = 0;
  std::string Text;
  bool operator==(const TreeLine&) const = default;
};

std::vector<TreeLine> ScanBaseFolder(FolderSource& source, const std::string& base,
                                     const std::function<bool(const std::string&, const std::string&)>& less,
                                     const std::function<void()>& afterEach = {},
                                     const std::function<bool()>& stop = {});

}  // namespace player
