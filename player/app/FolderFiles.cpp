#include "player/app/FolderFiles.h"

#include <windows.h>

#include <algorithm>

#include "base/Paths.h"
#include "forms/Wide.h"
#include "player/Extensions.h"
#include "player/platform/DiskFolders.h"
#include "player/platform/FolderListing.h"

namespace player {

void SortPathsIgnoringCase(std::vector<std::string>& paths) {
  std::vector<std::pair<std::wstring, std::string>> keyed;
  keyed.reserve(paths.size());
  for (std::string& path : paths) keyed.emplace_back(forms::widen(path), std::move(path));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.first.c_str(), -1, b.first.c_str(), -1) ==
           CSTR_LESS_THAN;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) paths[i] = std::move(keyed[i].second);
}

namespace {

bool LocaleLess(const std::string& a, const std::string& b, DWORD flags) {
  return CompareStringW(LOCALE_USER_DEFAULT, flags, forms::widen(a).c_str(), -1, forms::widen(b).c_str(), -1) ==
         CSTR_LESS_THAN;
}

}  // namespace

bool PathLessIgnoringCase(const std::string& a, const std::string& b) { return LocaleLess(a, b, NORM_IGNORECASE); }

bool TreeTextLess(const std::string& a, const std::string& b) { return LocaleLess(a, b, 0); }

std::vector<std::string> GatherFolderFiles(const std::string& folder, bool recurse,
                                           const std::vector<std::string>& supported) {
  DiskFolders disk;
  // A link back to a parent folder is seen for what it is, so the walk ends.
  std::vector<std::string> folders =
      recurse ? WalkAllFolders(disk, folder) : std::vector<std::string>{sv::IncludeTrailingBackslash(folder)};
  SortPathsIgnoringCase(folders);
  std::vector<std::string> result;
  for (const std::string& each : folders) {
    std::vector<std::string> files;
    for (const FolderEntry& entry : ListFolder(each, "*.*"))
      if (!entry.IsFolder && IsSupportedFile(entry.Name, supported)) files.push_back(each + entry.Name);
    SortPathsIgnoringCase(files);
    result.insert(result.end(), files.begin(), files.end());
  }
  return result;
}

}  // namespace player
