// The reference tag reader's side of the title-read benchmark: its plain
// file-reading call, audio properties off, the same four fields as UTF-8.
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include "bench_titles.h"

bool ReadTitleWithReference(const std::string& path, TitleFields& out) {
  const TagLib::FileRef file(path.c_str(), false);
  const TagLib::Tag* tag = file.isNull() ? nullptr : file.tag();
  if (tag == nullptr) return false;
  out.title = tag->title().to8Bit(true);
  out.artist = tag->artist().to8Bit(true);
  out.album = tag->album().to8Bit(true);
  out.track = tag->track();
  return true;
}
