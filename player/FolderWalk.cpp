#include "player/FolderWalk.h"

#include <algorithm>

#include "base/Paths.h"
#include "player/Extensions.h"

namespace player {

bool VisitedFolders::Admit(FolderSource& source, const std::string& folder, bool isLink) {
  if (!tracking_) {
    if (!isLink) {
      untracked_.push_back(folder);
      return true;
    }
    tracking_ = true;
    for (const std::string& earlier : untracked_)
      if (auto identity = source.Identity(earlier)) seen_.insert(*identity);
    untracked_.clear();
  }
  const std::optional<std::string> identity = source.Identity(folder);
  if (!identity) return !isLink;
  return seen_.insert(*identity).second;
}

FolderWalk::FolderWalk(FolderSource& source, const std::string& start) : source_(source) {
  const std::string first = sv::IncludeTrailingBackslash(start);
  folders_.push_back(first);
  depths_.push_back(0);
  // The start is taken whatever it is; recording it stops a link back to it.
  visited_.Admit(source_, first, false);
}

bool FolderWalk::Step() {
  if (Done()) return false;
  const std::size_t index = next_++;
  listings_.resize(folders_.size());
  const int depth = depths_[index];
  if (depth >= kMaxWalkDepth) return true;
  const std::string parent = folders_[index];
  listings_[index] = source_.List(parent);
  for (const WalkEntry& entry : listings_[index]) {
    if (!entry.IsFolder) continue;
    std::string folder = parent + entry.Name + "\\";
    if (!visited_.Admit(source_, folder, entry.IsLink)) continue;
    folders_.push_back(std::move(folder));
    depths_.push_back(depth + 1);
  }
  listings_.resize(folders_.size());
  return true;
}

std::vector<std::string> WalkAllFolders(FolderSource& source, const std::string& start) {
  FolderWalk walk(source, start);
  while (walk.Step()) {
  }
  return walk.TakeFolders();
}

namespace {

struct ScanNode {
  std::string Text;
  bool Listed = false;  // a folder whose entries are to be read
  std::vector<ScanNode> Children;
};

class TreeScan {
 public:
  TreeScan(FolderSource& source, const std::function<bool(const std::string&, const std::string&)>& less,
           const std::function<void()>& afterEach, const std::function<bool()>& stop)
      : source_(source), less_(less), afterEach_(afterEach), stop_(stop) {}

  void List(ScanNode& node, const std::string& path, int level) {
    if (!node.Listed || level >= kTreeListDepth || (stop_ && stop_())) return;
    for (const WalkEntry& entry : source_.List(path)) {
      if (entry.IsFolder) {
        node.Children.push_back({entry.Name, seen_.Admit(source_, path + entry.Name + "\\", entry.IsLink), {}});
      } else if (IsPlaylistFile(entry.Name)) {
        node.Children.push_back({entry.Name, false, {}});
      }
    }
    if (afterEach_) afterEach_();
    // Children come right after their parent: the walk goes depth-first.
    for (ScanNode& child : node.Children) List(child, path + child.Text + "\\", level + 1);
  }

  void SortAndFlatten(ScanNode& node, int level, std::vector<TreeLine>& out) {
    out.push_back({level, node.Text});
    std::stable_sort(node.Children.begin(), node.Children.end(),
                     [this](const ScanNode& a, const ScanNode& b) { return less_(a.Text, b.Text); });
    for (ScanNode& child : node.Children) SortAndFlatten(child, level + 1, out);
  }

  VisitedFolders seen_;

 private:
  FolderSource& source_;
  const std::function<bool(const std::string&, const std::string&)>& less_;
  const std::function<void()>& afterEach_;
  const std::function<bool()>& stop_;
};

}  // namespace

std::vector<TreeLine> ScanBaseFolder(FolderSource& source, const std::string& base,
                                     const std::function<bool(const std::string&, const std::string&)>& less,
                                     const std::function<void()>& afterEach, const std::function<bool()>& stop) {
  const std::string path = sv::IncludeTrailingBackslash(base);
  TreeScan scan(source, less, afterEach, stop);
  scan.seen_.Admit(source, path, false);
  ScanNode root{path, true, {}};
  scan.List(root, path, 0);
  std::vector<TreeLine> lines;
  scan.SortAndFlatten(root, 0, lines);
  return lines;
}

}  // namespace player
