#pragma once
// The song-name page's title templates: the default of each and the help
// lines that list its placeholders.
#include <string>
#include <string_view>
#include <vector>

#include "player/Language.h"

namespace player {

enum class TemplateGroup { Tagged, Untagged, CdTrack };

std::string_view DefaultTemplate(TemplateGroup group);

// "- <group title> -", then the placeholder lines that apply to the group,
// from section OPTION of the language file (built-in texts for missing keys).
std::vector<std::string> TemplateHelpLines(TemplateGroup group, const LanguageFile& file);

}  // namespace player
