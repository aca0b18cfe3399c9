#pragma once
// Small text splitters the player uses on paths and playlist lines.
#include <string>
#include <string_view>
#include <vector>

namespace player {

// The pieces between separators, in order; empty pieces are dropped, so runs
// of separators and separators at either end give nothing.
std::vector<std::string> SplitToList(std::string_view text, char separator);

// The title of an extended-M3U line: for a line starting with "#EXTINF:"
// (case ignored) and holding a ',', the text after the first ',' trimmed;
// otherwise empty.
std::string GetExtInfTitle(std::string_view line);

}  // namespace player
