#include "player/app/FolderFiles.h"

#include <windows.h>

#include <algorithm>

#include "base/Paths.h"
#include "forms/Wide.h"
#include "player/Extensions.h"
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

std::vector<std::string> GatherFolderFiles(const std::string& folder, bool recurse,
                                           const std::vector<std::string>& supported) {
  std::vector<std::string> folders{sv::IncludeTrailingBackslash(folder)};
  if (recurse) {
    // Linked folders are not followed: a link to a parent would never end.
    for (std::size_t i = 0; i < folders.size(); ++i) {
      const std::string parent = folders[i];
      for (const FolderEntry& entry : ListFolder(parent, "*.*"))
        if (entry.IsFolder && !entry.IsLink) folders.push_back(parent + entry.Name + "\\");
    }
  }
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
