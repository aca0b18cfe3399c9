#pragma once
// Windows-style path text (UTF-8): pure string work, no file-system access,
// so the same rules hold in native tests. '\' and '/' both separate folders;
// results use '\'.
#include <string>
#include <string_view>
#include <vector>

namespace sv {

// The pieces between '\' and '/' separators, empty ones dropped
// ("C:\a\\b\" -> "C:", "a", "b"); the views point into s.
std::vector<std::string_view> SplitFolders(std::string_view s);

// Split after the last '\', '/' or ':'.
std::string ExtractFilePath(std::string_view path);  // "C:\a\b.mp3" -> "C:\a\"
std::string ExtractFileName(std::string_view path);  // -> "b.mp3"
std::string ExtractFileExt(std::string_view path);   // -> ".mp3"; "" without one

// "C:", "\\server\share", or "" for a path without a drive.
std::string ExtractFileDrive(std::string_view path);

std::string IncludeTrailingBackslash(std::string_view path);

// Path relative to the folder of baseName: pass a folder with its trailing
// backslash (or any file inside it). Folders compare ignoring case; one
// "..\" per base folder left over. A path on another drive, or either one
// without a drive, comes back unchanged.
std::string ExtractRelativePath(std::string_view baseName, std::string_view path);

// Absolute form of path, relative ones taken against baseFolder (itself
// absolute); "." and ".." resolved, never above the drive or share root.
std::string ExpandFileName(std::string_view path, std::string_view baseFolder);

}  // namespace sv
