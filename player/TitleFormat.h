#pragma once
// Title templates: "%artist - %tracktitle" and the like, turned into the
// text a playlist line shows. Placeholders match ignoring case, every
// occurrence is replaced, and the template is scanned once: text that a value
// brings in ("%year" as an artist, a folder named "%filename") is shown as it
// is, never expanded again. Every result starts with one blank.
#include <string>
#include <string_view>

#include "player/PathPieces.h"

namespace player {

struct TitleValues {
  std::string length;      // duration text, empty when not measured
  std::string artist;      // artist, album and title are shown trimmed
  std::string album;
  std::string trackNb;     // track and year as given
  std::string trackTitle;
  std::string year;
  PathPieces path;
};

// Every placeholder: "%artist", "%album", "%tracknb", "%tracktitle", "%year",
// "%length", "%filename", "%fileext", "%rep0", "%rep1".
std::string ExpandTitleFormat(std::string_view format, const TitleValues& values);

// For files without tags and CD tracks outside the cache: only the path
// placeholders and "%length" are replaced; the tag placeholders stay as
// written.
std::string ExpandFileTitleFormat(std::string_view format, const PathPieces& path, std::string_view length);

// The template holds "%length" (case ignored), so titles need a measured length.
bool FormatWantsLength(std::string_view format);

}  // namespace player
