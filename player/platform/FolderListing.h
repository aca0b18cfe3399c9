#pragma once
// The JPEG file names of a folder, in the order the system lists them: the
// candidates from which the cover preview picks a song's folder picture.
#include <string>
#include <vector>

namespace player {

// Plain names (UTF-8) of the files matching "*.jpg" in folder (with or
// without a trailing backslash); empty when the folder is missing or
// unreadable. Folders are left out.
std::vector<std::string> ListJpegNames(const std::string& folder);

}  // namespace player
