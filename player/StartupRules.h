#pragma once
// The small computations of the player's start-up, kept apart from the
// window so that they can be checked on their own: the open dialog's filter,
// the audio library's proxy text, the volume bar taken from the system level
// and the extensions a plug-in announces.
#include <string>
#include <string_view>
#include <vector>

#include "player/Settings.h"

namespace player {

// Built-in playable extensions, before the plug-ins add theirs.
inline constexpr std::string_view kBuiltInExtensions = "mp3;ogg;wav;aiff;aif;mp2;mp1;it;xm;s3m;mod;mtm;umx";

// "All supported files|*.m3u;*.pls;*.mp3;…|Playlist M3U (*.m3u)|…" with one
// "|Audio file (*.x)|*.x" per extension. Joined explicitly: an extension
// holding a blank stays one piece.
std::string BuildOpenFilter(const std::vector<std::string>& extensions);

// "user:pass@address:port"; the user part only with a user, the address part
// only with an address. Nothing is cut.
std::string BuildProxyText(const ProxySettings& proxy);

// The bar position whose level is the system's: 0 for a level of 1 or less,
// else round-half-even(sqrt(level - 0.4) * 10), clamped to 0..100.
int VolumeBarFromLevel(int level);

// A plug-in's extension text ("*.foo;*.bar") as plain extensions.
std::vector<std::string> PluginExtensions(std::string_view text);

}  // namespace player
