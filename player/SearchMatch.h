#pragma once
// What the search window finds: a playable file whose folder path, file
// name, or title, artist or album tag contains the searched text, letter
// case ignored. The tags come from the readers the file's extension calls
// for, tried in a fixed order and only while nothing has matched yet.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sv::tags {
class FileSystem;
}

namespace player {

struct SearchQuery {
  std::string Text;
  bool FolderName = true;  // the folder's full path
  bool FileName = true;    // the name with its extension
  bool Title = false;
  bool Artist = false;
  bool Album = false;

  bool AnyTag() const { return Title || Artist || Album; }
  // The search can start: some text and something to look in.
  bool CanStart() const { return !Text.empty() && (FolderName || FileName || AnyTag()); }
};

struct SongTags {
  std::string Title, Artist, Album;
};

// Each reader gives the file's tag of its kind, or nothing when the file has
// none or cannot be read.
using TagReader = std::function<std::optional<SongTags>(const std::string& path)>;
struct SearchTagReaders {
  TagReader Id3v2, Id3v1, Wma, Vorbis;
};

// The tag library's readers over a file system; a reader that fails in any
// way gives nothing.
SearchTagReaders LibraryTagReaders(sv::tags::FileSystem& fs);

// `needle` occurs in `haystack`, letter case ignored for the Latin, Greek
// and Cyrillic letters (UTF-8 both). An empty needle occurs everywhere.
bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle);

// folder ends with a backslash; name is the file's name in it.
bool SearchMatches(const SearchQuery& query, const std::string& folder, const std::string& name,
                   const SearchTagReaders& readers);

}  // namespace player
