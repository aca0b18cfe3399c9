#pragma once
// The parts of a playlist entry's path that title templates show.
#include <string>
#include <string_view>

namespace player {

struct PathPieces {
  std::string fileName;  // name without folder and extension
  std::string fileExt;   // extension with its dot, lower case (".mp3")
  std::string rep0;      // the folder holding the file
  std::string rep1;      // the folder above it
};

// rep0 and rep1 are the second-last and third-last pieces of the path split
// at its separators with empty pieces dropped, or empty when there are fewer:
// "C:\song.mp3" gives rep0 "C:" and no rep1.
PathPieces SplitPathPieces(std::string_view path);

}  // namespace player
