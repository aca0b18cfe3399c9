#pragma once
// The tag editor's work apart from its window: which files of a selection
// it takes, what its two columns show for them, and how each file is
// written. Column 1 is the ID3v1 tag; column 2 the ID3v2 tag, the Ogg
// Vorbis comments or the APE tag, depending on the file.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/FileAccess.h"
#include "tags/InfoMPEG.h"

namespace player {

// Extension lists: a file belongs to one when its extension is an entry.
inline constexpr std::string_view kTaggableExtensions = "$.mp3$.mp2$.mpc$.ogg$.wv$.ofr$.ofs$.ape$.mac$";
inline constexpr std::string_view kId3v1Extensions = "$.mp3$.mp2$.mpc$";
inline constexpr std::string_view kMpegExtensions = "$.mp3$.mp2$";
inline constexpr std::string_view kMusepackExtensions = "$.mpc$";
inline constexpr std::string_view kOggExtensions = "$.ogg$";
inline constexpr std::string_view kApeExtensions = "$.mpc$.wv$.ofr$.ofs$.ape$.mac$";

bool InTagList(std::string_view list, std::string_view path);

enum TagField : int { FieldArtist, FieldAlbum, FieldTitle, FieldYear, FieldTrack, FieldComment, FieldGenre };
inline constexpr int kTagFields = 7;
using TagTexts = std::array<std::string, kTagFields>;

// The APE keys of the seven fields.
extern const std::array<const char*, kTagFields> kApeFieldKeys;

// One column: its texts and tick boxes, and "Auto" track numbering.
struct TagColumn {
  TagTexts Text;
  std::array<bool, kTagFields> Ticked{true, true, true, true, true, true, true};
  bool AutoTrack = false;
};

// Loads the files of a selection one after the other into the columns: the
// first file sets the texts (even when it has no tag), each later file
// unticks the fields whose text differs from what the column shows. A file
// of a column's kind without that column's tag counts as empty texts, so a
// field the files do not share starts unticked whatever their order.
class TagSelectionLoader {
 public:
  explicit TagSelectionLoader(sv::tags::FileSystem& fs = sv::tags::NativeFileSystem()) : fs_(fs) {}

  // A file that cannot be read counts as one without tags.
  void Add(const std::string& path);

  TagColumn Column1, Column2;
  int Count() const { return count_; }

 private:
  void Merge(TagColumn& column, const TagTexts& texts);
  sv::tags::FileSystem& fs_;
  int count_ = 0;
};

// The selected entries that exist and whose extension is taggable, in order.
std::vector<std::string> CollectTagFiles(const std::vector<std::string>& selected,
                                         sv::tags::FileSystem& fs = sv::tags::NativeFileSystem());

// The information shown for a single file: the MPEG frame header's text,
// the Ogg stream's when its numbers pass the stream check, or "...".
std::string TagInfoText(const std::string& path, const sv::tags::TimeOfDayFormatter& timeOfDay,
                        char decimalSeparator, sv::tags::FileSystem& fs = sv::tags::NativeFileSystem());

enum class TagWriteMode { Save = 0, Id3v1ToId3v2 = 12, Id3v2ToId3v1 = 21 };

// A track text as a number: digits only (blanks around allowed), at most
// `max`; nothing otherwise.
bool ParseTrackText(std::string_view text, std::uint32_t max, std::uint32_t& value);

// Writes the tags of the files of a selection, one file per call.
class TagFileWriter {
 public:
  // An empty track text counts as "0".
  TagFileWriter(TagWriteMode mode, TagColumn column1, TagColumn column2,
                sv::tags::FileSystem& fs = sv::tags::NativeFileSystem());

  struct Outcome {
    bool Written = false;  // every write the file needed worked
    // A copy whose source tag the file lacks, or holds in a form that
    // cannot be read: the file is left untouched.
    bool Skipped = false;
    // The tags written ("ID3 v1", "ID3 v2", "APE", "Ogg"), also when
    // another one of the file failed.
    std::vector<std::string> Saved;
    int Steps = 0;  // progress steps: 2 per tag format written
  };
  // Writes file `index` of the selection (0-based; "Auto" numbers it
  // index + 1). Its attributes are cleared for the write and put back
  // afterwards, whatever happened. A file this mode does not write is left
  // untouched and counts as written. A tag the file lacks is not added
  // when it would hold nothing.
  Outcome Write(const std::string& path, int index);

 private:
  // False when the file could not be read; `exists` tells whether it holds
  // a readable tag of the kind a copy mode copies from.
  bool CopySourceExists(const std::string& path, bool& exists);
  bool WriteMpeg(const std::string& path, int index, Outcome& outcome);
  bool WriteMusepackId3v1(const std::string& path, int index, Outcome& outcome);
  bool WriteOgg(const std::string& path, int index, Outcome& outcome);
  bool WriteApe(const std::string& path, int index, Outcome& outcome);

  TagWriteMode mode_;
  TagColumn column1_, column2_;
  sv::tags::FileSystem& fs_;
};

}  // namespace player
