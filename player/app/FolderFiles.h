#pragma once
// The playable files of a folder (and of its sub-folders), in the order the
// playlist takes them: folders sorted by full path, each folder's files
// sorted by name, letter case ignored by the system's comparison.
#include <string>
#include <vector>

namespace player {

std::vector<std::string> GatherFolderFiles(const std::string& folder, bool recurse,
                                           const std::vector<std::string>& supported);

// Sorts paths without regard to letter case, as the user's locale compares.
void SortPathsIgnoringCase(std::vector<std::string>& paths);
bool PathLessIgnoringCase(const std::string& a, const std::string& b);

// The folder tree's order: the user's locale, letter case counting.
bool TreeTextLess(const std::string& a, const std::string& b);

}  // namespace player
