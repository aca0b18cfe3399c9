#pragma once
// The display text of one playlist entry: a stream address as it is, a file
// that is gone as " No File... name.ext", a CD track through the CD cache,
// other files from their tags or, without tags, from their path. Every text
// starts with one blank. The caller keeps the window alive between entries.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "player/CdTitle.h"
#include "tags/FileAccess.h"
#include "tags/Unit_SongTagInfos.h"

namespace player {

struct TitleFormats {
  std::string tagged;    // FormatNomTag
  std::string untagged;  // FormatNomSansTag
  std::string cd;        // FormatNomCDA
  bool readMetaTags = true;
  bool readCddb = true;
};

struct TitleSources {
  sv::tags::FileSystem& files;
  sv::tags::LengthProbe* lengths;  // null: lengths are never measured
  CdDrives& drives;
  // Opens the CD cache; called once per CD-track entry.
  std::function<std::unique_ptr<CdCache>()> openCdCache;
  CdLookupTimer& timer;
};

std::string GetSongDisplayTitle(std::string_view path, const TitleFormats& formats, TitleSources& sources);

}  // namespace player
