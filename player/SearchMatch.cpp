#include "player/SearchMatch.h"

#include <algorithm>
#include <exception>

#include "base/Paths.h"
#include "base/Utf.h"
#include "player/Extensions.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/OggVorbis.h"
#include "tags/WMAfile.h"

namespace player {

namespace {

char16_t Fold(char16_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB) || (c >= 0x410 && c <= 0x42F))
    return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  if (c == 0x3C2) return 0x3C3;  // the final sigma is a sigma
  if (c == 0x178) return 0xFF;
  // Latin Extended-A: upper and lower case side by side.
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return static_cast<char16_t>(c | 1);
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return static_cast<char16_t>(c + (c & 1));
  return c;
}

std::u16string Folded(std::string_view utf8) {
  std::u16string text = sv::Utf8ToUtf16(utf8);
  std::transform(text.begin(), text.end(), text.begin(), Fold);
  return text;
}

bool TagsMatch(const SearchQuery& query, const std::u16string& needle, const std::optional<SongTags>& tags) {
  if (!tags) return false;
  const auto has = [&needle](const std::string& field) { return Folded(field).find(needle) != std::u16string::npos; };
  return (query.Title && has(tags->Title)) || (query.Artist && has(tags->Artist)) ||
         (query.Album && has(tags->Album));
}

// A reader that throws (a file that cannot be opened) finds no tag.
std::optional<SongTags> Guarded(const TagReader& reader, const std::string& path) {
  if (!reader) return std::nullopt;
  try {
    return reader(path);
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace

bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
  return Folded(haystack).find(Folded(needle)) != std::u16string::npos;
}

SearchTagReaders LibraryTagReaders(sv::tags::FileSystem& fs) {
  SearchTagReaders readers;
  readers.Id3v2 = [&fs](const std::string& path) -> std::optional<SongTags> {
    sv::tags::TID3v2 tag(fs);
    if (!tag.ReadFromFile(path, false) || !tag.Exists) return std::nullopt;
    return SongTags{tag.Title, tag.Artist, tag.Album};
  };
  readers.Id3v1 = [&fs](const std::string& path) -> std::optional<SongTags> {
    sv::tags::TID3v1 tag(fs);
    if (!tag.ReadFromFile(path) || !tag.Exists) return std::nullopt;
    return SongTags{tag.GetTitle(), tag.GetArtist(), tag.GetAlbum()};
  };
  readers.Wma = [&fs](const std::string& path) -> std::optional<SongTags> {
    sv::tags::TWMAfile file(fs);
    if (!file.ReadFromFile(path) || !file.Valid) return std::nullopt;
    return SongTags{file.Title, file.Artist, file.Album};
  };
  readers.Vorbis = [&fs](const std::string& path) -> std::optional<SongTags> {
    sv::tags::TOggVorbis file(fs);
    if (!file.ReadFromFile(path) || !file.IsValid()) return std::nullopt;
    return SongTags{file.Title, file.Artist, file.Album};
  };
  return readers;
}

bool SearchMatches(const SearchQuery& query, const std::string& folder, const std::string& name,
                   const SearchTagReaders& readers) {
  const std::u16string needle = Folded(query.Text);
  if (query.FolderName && Folded(folder).find(needle) != std::u16string::npos) return true;
  if (query.FileName && Folded(name).find(needle) != std::u16string::npos) return true;
  if (!query.AnyTag()) return false;
  const std::string path = folder + name;
  const std::string extension = sv::ExtractFileExt(name);
  if (ExtensionInList("$.mp3$.mp2$", extension) && TagsMatch(query, needle, Guarded(readers.Id3v2, path)))
    return true;
  if (ExtensionInList("$.mp3$.mp2$.mpc$", extension) && TagsMatch(query, needle, Guarded(readers.Id3v1, path)))
    return true;
  if (ExtensionInList("$.wma$", extension)) return TagsMatch(query, needle, Guarded(readers.Wma, path));
  if (ExtensionInList("$.ogg$", extension)) return TagsMatch(query, needle, Guarded(readers.Vorbis, path));
  return false;
}

}  // namespace player
