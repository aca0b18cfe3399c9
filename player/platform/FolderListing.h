#pragma once
// Folder listings in the order the system gives them, names in UTF-8.
#include <string>
#include <vector>

namespace player {

struct FolderEntry {
  std::string Name;  // plain name, never "." or ".."
  bool IsFolder = false;
  bool IsLink = false;  // a reparse point: a linked folder may lead back up
};

// The entries of folder (with or without a trailing backslash) matching the
// pattern ("*.*", "sono*.dll"); empty when the folder is missing or
// unreadable.
std::vector<FolderEntry> ListFolder(const std::string& folder, const std::string& pattern);

// Plain names of the files matching "*.jpg" in folder: the candidates from
// which the cover preview picks a song's folder picture. Folders are left out.
std::vector<std::string> ListJpegNames(const std::string& folder);

}  // namespace player
