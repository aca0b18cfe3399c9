#include "player/Extensions.h"

#include "base/Ascii.h"
#include "base/Paths.h"

namespace player {

bool ExtensionInList(std::string_view list, std::string_view extension) {
  // "$" alone would match between any two entries: reject it with the rest.
  if (extension.empty() || extension.find('$') != std::string_view::npos) return false;
  const std::string entry = "$" + sv::LowerAscii(extension) + "$";
  return sv::LowerAscii(list).find(entry) != std::string::npos;
}

bool IsSupportedFile(std::string_view path, const std::vector<std::string>& supported) {
  const std::string extension = sv::LowerAscii(sv::ExtractFileExt(path));
  if (extension.size() < 2 || extension.size() > 5) return false;
  for (const auto& entry : supported) {
    if (extension.substr(1) == entry) return true;
  }
  return false;
}

bool IsStreamUrl(std::string_view text) {
  const auto startsWith = [text](std::string_view prefix) {
    return text.size() >= prefix.size() && sv::SameTextAscii(text.substr(0, prefix.size()), prefix);
  };
  return startsWith("http://") || startsWith("mms://");
}

bool IsModuleFile(std::string_view path) { return ExtensionInList(kModuleExtensions, sv::ExtractFileExt(path)); }

bool IsCdTrackFile(std::string_view path) { return ExtensionInList(kCdTrackExtensions, sv::ExtractFileExt(path)); }

bool IsPlaylistFile(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  if (path.size() < 4) return false;
  const std::string_view tail = path.substr(path.size() - 4);
  return sv::SameTextAscii(tail, ".m3u") || sv::SameTextAscii(tail, ".pls");
}

}  // namespace player
