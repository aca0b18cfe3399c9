#pragma once
// How the player classifies a path: playable file, stream address, tracker
// module, playlist, audio CD track. Extension lists are texts of the form
// "$.mp3$.mp2$"; an extension matches only as a whole entry between two
// dollar signs, so ".m" is no module and ".cd" no CD track.
#include <string>
#include <string_view>
#include <vector>

namespace player {

inline constexpr std::string_view kModuleExtensions = "$.it$.xm$.s3m$.mod$.mtm$.umx$";
inline constexpr std::string_view kCdTrackExtensions = "$.cda$";

// The extension with its dot, ASCII case ignored, is an entry of the list.
// An empty extension never matches.
bool ExtensionInList(std::string_view list, std::string_view extension);

// The path's extension is "." + one of the playable extensions (lower case,
// without dot). Extensions of more than four letters never match, even when
// listed: the stored list holds four letters at most.
bool IsSupportedFile(std::string_view path, const std::vector<std::string>& supported);

// Starts with "http://" or "mms://", case ignored.
bool IsStreamUrl(std::string_view text);

bool IsModuleFile(std::string_view path);
bool IsCdTrackFile(std::string_view path);

// The path, less one trailing '\', ends with ".m3u" or ".pls", case ignored.
bool IsPlaylistFile(std::string_view path);

}  // namespace player
