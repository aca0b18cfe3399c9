#include "player/StartupRules.h"

#include <algorithm>
#include <cmath>

#include "base/Numbers.h"
#include "player/TextPieces.h"

namespace player {

std::string BuildOpenFilter(const std::vector<std::string>& extensions) {
  std::string filter = "All supported files|*.m3u;*.pls";
  for (const std::string& ext : extensions) filter += ";*." + ext;
  filter += "|Playlist M3U (*.m3u)|*.m3u|Playlist PLS (*.pls)|*.pls|All files (*.*)|*.*";
  for (const std::string& ext : extensions) filter += "|Audio file (*." + ext + ")|*." + ext;
  return filter;
}

std::string BuildProxyText(const ProxySettings& proxy) {
  std::string text;
  if (!proxy.User.empty()) text = proxy.User + ":" + proxy.Password + "@";
  if (!proxy.Address.empty()) text += proxy.Address + ":" + proxy.Port;
  return text;
}

int VolumeBarFromLevel(int level) {
  if (level <= 1) return 0;
  const auto bar = sv::Round(std::sqrt(static_cast<double>(level) - 0.4) * 10.0);
  return static_cast<int>(std::clamp<std::int64_t>(bar, 0, 100));
}

std::vector<std::string> PluginExtensions(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "*.") == 0) {
      ++i;
      continue;
    }
    plain += text[i];
  }
  return SplitToList(plain, ';');
}

}  // namespace player
