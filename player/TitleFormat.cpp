#include "player/TitleFormat.h"

#include <array>
#include <optional>

#include "base/Ascii.h"

namespace player {

namespace {

enum class Field { Artist, Album, TrackNb, TrackTitle, Year, Length, FileName, FileExt, Rep0, Rep1 };

struct Placeholder {
  std::string_view name;
  Field field;
  bool fromTags;  // left as written when the entry has no tags
};

// No name is a prefix of another, so the first one that matches is the one.
constexpr std::array<Placeholder, 10> kPlaceholders = {{
    {"%artist", Field::Artist, true},
    {"%album", Field::Album, true},
    {"%tracknb", Field::TrackNb, true},
    {"%tracktitle", Field::TrackTitle, true},
    {"%year", Field::Year, true},
    {"%length", Field::Length, false},
    {"%filename", Field::FileName, false},
    {"%fileext", Field::FileExt, false},
    {"%rep0", Field::Rep0, false},
    {"%rep1", Field::Rep1, false},
}};

const Placeholder* PlaceholderAt(std::string_view text) {
  for (const auto& p : kPlaceholders) {
    if (text.size() >= p.name.size() && sv::SameTextAscii(text.substr(0, p.name.size()), p.name)) return &p;
  }
  return nullptr;
}

std::string_view ValueOf(Field field, const TitleValues& v) {
  switch (field) {
    case Field::Artist: return sv::Trim(v.artist);
    case Field::Album: return sv::Trim(v.album);
    case Field::TrackNb: return v.trackNb;
    case Field::TrackTitle: return sv::Trim(v.trackTitle);
    case Field::Year: return v.year;
    case Field::Length: return v.length;
    case Field::FileName: return v.path.fileName;
    case Field::FileExt: return v.path.fileExt;
    case Field::Rep0: return v.path.rep0;
    case Field::Rep1: return v.path.rep1;
  }
  return {};
}

std::string Expand(std::string_view format, const TitleValues& values, bool withTags) {
  std::string out = " ";
  out.reserve(format.size() + 64);
  std::size_t at = 0;
  while (at < format.size()) {
    const std::size_t percent = format.find('%', at);
    if (percent == std::string_view::npos) {
      out.append(format.substr(at));
      break;
    }
    out.append(format.substr(at, percent - at));
    const Placeholder* p = PlaceholderAt(format.substr(percent));
    if (p == nullptr || (p->fromTags && !withTags)) {
      // Not ours (or not for this kind of entry): the '%' stays, and the
      // scan goes on right after it.
      out.push_back('%');
      at = percent + 1;
      continue;
    }
    out.append(ValueOf(p->field, values));
    at = percent + p->name.size();
  }
  return out;
}

}  // namespace

std::string ExpandTitleFormat(std::string_view format, const TitleValues& values) {
  return Expand(format, values, true);
}

std::string ExpandFileTitleFormat(std::string_view format, const PathPieces& path, std::string_view length) {
  TitleValues values;
  values.path = path;
  values.length = std::string(length);
  return Expand(format, values, false);
}

bool FormatWantsLength(std::string_view format) {
  return sv::LowerAscii(format).find("%length") != std::string::npos;
}

}  // namespace player
