#include "player/PathPieces.h"

#include "base/Ascii.h"
#include "base/Paths.h"

namespace player {

PathPieces SplitPathPieces(std::string_view path) {
  PathPieces result;
  const std::string name = sv::ExtractFileName(path);
  const std::string extension = sv::ExtractFileExt(path);
  result.fileName = name.substr(0, name.size() - extension.size());
  result.fileExt = sv::LowerAscii(extension);
  const auto pieces = sv::SplitFolders(path);
  if (pieces.size() >= 2) result.rep0 = std::string(pieces[pieces.size() - 2]);
  if (pieces.size() >= 3) result.rep1 = std::string(pieces[pieces.size() - 3]);
  return result;
}

}  // namespace player
