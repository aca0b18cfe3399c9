#pragma once
// Files beside the program that the options window opens or shows: the
// licence text that the language file names, and the submission log.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace player {

inline constexpr std::size_t kLogViewBytes = 64 * 1024;

// The licence file to open: the language file's value must be a plain
// ".txt" file name (no folder, drive, ".." or other kind of file), since the
// shell would run a program it named. Nothing when the value is not such a
// name; the caller still checks that the file exists.
std::optional<std::string> LicenceFilePath(std::string_view exeFolder, std::string_view value);

// The end of a log's bytes as text for the log view: at most maxBytes,
// starting at a line when it had to be cut (never inside a character), with
// every line ending in CR LF.
std::string LogViewText(std::string_view bytes, std::size_t maxBytes = kLogViewBytes);

// The end of the file as LogViewText gives it, read without loading the
// rest; nothing when the file is missing or cannot be read.
std::optional<std::string> ReadLogView(const std::string& path, std::size_t maxBytes = kLogViewBytes);

}  // namespace player
