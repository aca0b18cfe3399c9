#pragma once
// A made-up disk for the folder walks.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "player/FolderWalk.h"

namespace playertest {

// A disk of folders keyed by their real path ("C:\a\"). An entry may be a
// link to another real folder; paths through links resolve to the target,
// whose real path is the folder's identity.
class FakeDisk : public player::FolderSource {
 public:
  struct Entry {
    std::string Name;
    bool IsFolder = false;
    std::string LinkTo;  // the real folder a link leads to
  };

  void Folder(const std::string& path, std::vector<Entry> entries) { folders_[path] = std::move(entries); }
  bool knowsIdentities = true;
  std::vector<std::string> listed;
  int identityCalls = 0;

  std::vector<player::WalkEntry> List(const std::string& folder) override {
    listed.push_back(folder);
    std::vector<player::WalkEntry> result;
    const auto real = Resolve(folder);
    if (!real) return result;
    for (const Entry& e : folders_[*real]) result.push_back({e.Name, e.IsFolder, !e.LinkTo.empty()});
    return result;
  }
  std::optional<std::string> Identity(const std::string& folder) override {
    ++identityCalls;
    if (!knowsIdentities) return std::nullopt;
    return Resolve(folder);
  }

 private:
  std::optional<std::string> Resolve(const std::string& path) const {
    std::size_t start = path.find('\\');
    if (start == std::string::npos) return std::nullopt;
    std::string real = path.substr(0, start + 1);
    while (++start < path.size()) {
      const std::size_t end = path.find('\\', start);
      const std::string name = path.substr(start, end - start);
      const auto folder = folders_.find(real);
      if (folder == folders_.end()) {
        // Above the made-up folders: plain folders on the way down.
        real += name + "\\";
        start = end;
        continue;
      }
      const Entry* found = nullptr;
      for (const Entry& e : folder->second)
        if (e.Name == name && e.IsFolder) found = &e;
      if (!found) return std::nullopt;
      real = found->LinkTo.empty() ? real + name + "\\" : found->LinkTo;
      start = end;
    }
    return folders_.count(real) ? std::optional<std::string>(real) : std::nullopt;
  }

  std::map<std::string, std::vector<Entry>> folders_;
};

inline FakeDisk::Entry Dir(const std::string& name) { return {name, true, ""}; }
inline FakeDisk::Entry File(const std::string& name) { return {name, false, ""}; }
inline FakeDisk::Entry Link(const std::string& name, const std::string& to) { return {name, true, to}; }

}  // namespace playertest
