#include "player/TagEditing.h"

#include <charconv>
#include <cstdio>
#include <utility>

#include "player/Extensions.h"
#include "tags/APETag.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/OggVorbis.h"

namespace player {

using sv::tags::FileSystem;

const std::array<const char*, kTagFields> kApeFieldKeys = {"Artist", "Album", "Title", "Year",
                                                           "Track",  "Comment", "Genre"};

namespace {

constexpr char kId3v1Name[] = "ID3 v1";
constexpr char kId3v2Name[] = "ID3 v2";

std::string TwoDigits(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2u", value);
  return text;
}

std::string_view Extension(std::string_view path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of("\\/");
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  return path.substr(dot);
}

// Clears a file's attributes for a write and puts them back when it ends,
// whether or not the write worked.
class NormalAttributes {
 public:
  NormalAttributes(FileSystem& fs, const std::string& path) : fs_(fs), path_(path) {
    if (!fs_.GetAttributes(path_, original_)) return;
    ready_ = original_ == sv::tags::kAttributeNormal || fs_.SetAttributes(path_, sv::tags::kAttributeNormal);
    changed_ = ready_ && original_ != sv::tags::kAttributeNormal;
  }
  ~NormalAttributes() {
    // One retry: a read-only file must not stay writable by one refusal.
    if (changed_ && !fs_.SetAttributes(path_, original_)) fs_.SetAttributes(path_, original_);
  }
  NormalAttributes(const NormalAttributes&) = delete;
  NormalAttributes& operator=(const NormalAttributes&) = delete;
  bool Ready() const { return ready_; }

 private:
  FileSystem& fs_;
  const std::string& path_;
  std::uint32_t original_ = sv::tags::kAttributeNormal;
  bool ready_ = false;
  bool changed_ = false;
};

// The track a ticked track field gives, or nothing when its text is no
// number (the file's track then stays).
bool TrackOf(const TagColumn& column, int index, std::uint32_t max, std::uint32_t& track) {
  if (column.AutoTrack) {
    track = static_cast<std::uint32_t>(index + 1);
    return true;
  }
  return ParseTrackText(column.Text[FieldTrack], max, track);
}

// An ID3v1 record has one byte for the track: a larger number is written
// as no track rather than wrapped onto another.
std::uint8_t Id3v1Track(std::uint32_t track) { return track > 255 ? 0 : static_cast<std::uint8_t>(track); }

void ApplyToId3v1(sv::tags::TID3v1& v1, const TagColumn& column, int index) {
  const auto& t = column.Text;
  const auto& on = column.Ticked;
  if (on[FieldArtist]) v1.SetArtist(t[FieldArtist]);
  if (on[FieldAlbum]) v1.SetAlbum(t[FieldAlbum]);
  if (on[FieldTitle]) v1.SetTitle(t[FieldTitle]);
  if (on[FieldYear]) v1.SetYear(t[FieldYear]);
  std::uint32_t track = 0;
  if (on[FieldTrack] && TrackOf(column, index, UINT32_MAX, track)) v1.SetTrack(Id3v1Track(track));
  if (on[FieldComment]) v1.SetComment(t[FieldComment]);
  // The genre lists are sorted: a genre is always found by its name.
  if (on[FieldGenre]) v1.SetGenre(t[FieldGenre]);
}

void ApplyToId3v2(sv::tags::TID3v2& v2, const TagColumn& column, int index) {
  const auto& t = column.Text;
  const auto& on = column.Ticked;
  if (on[FieldArtist]) v2.SetArtist(t[FieldArtist]);
  if (on[FieldAlbum]) v2.SetAlbum(t[FieldAlbum]);
  if (on[FieldTitle]) v2.SetTitle(t[FieldTitle]);
  if (on[FieldYear]) v2.SetYear(t[FieldYear]);
  std::uint32_t track = 0;
  if (on[FieldTrack] && TrackOf(column, index, 0xFFFF, track) && track <= 0xFFFF)
    v2.SetTrack(static_cast<std::uint16_t>(track));
  if (on[FieldComment]) v2.SetComment(t[FieldComment]);
  if (on[FieldGenre]) v2.SetGenre(t[FieldGenre]);
}

// A tag that is there but whose contents cannot be read, as opposed to a
// file that cannot be read.
bool Unreadable(sv::tags::TagStatus status) {
  return status == sv::tags::TagStatus::Malformed || status == sv::tags::TagStatus::Unsupported;
}

// A tag the file lacks and that would hold nothing is not added.
bool HoldsNothing(const sv::tags::TID3v1& v1) {
  return !v1.Exists && !v1.Lyrics3Present && v1.GetTitle().empty() && v1.GetArtist().empty() &&
         v1.GetAlbum().empty() && v1.Year.empty() && v1.GetComment().empty() && v1.Track == 0 &&
         v1.GenreID == sv::tags::kNoGenre;
}

bool HoldsNothing(const sv::tags::TID3v2& v2) {
  return !v2.Exists && v2.Title.empty() && v2.Artist.empty() && v2.Album.empty() && v2.Year.empty() &&
         v2.Genre.empty() && v2.Comment.empty() && v2.Track == 0;
}

bool HoldsNothing(const sv::tags::TAPETag& ape) {
  if (ape.Exists) return false;
  for (const sv::tags::RField& field : ape.Fields)
    if (!field.Value.empty()) return false;
  return true;
}

// Saves a tag unless it would be an empty new one; names it in the outcome
// when written.
template <typename Tag>
bool SaveNamed(Tag& tag, const std::string& path, const char* name, TagFileWriter::Outcome& outcome) {
  if (HoldsNothing(tag)) return true;
  if (!tag.SaveToFile(path)) return false;
  outcome.Saved.emplace_back(name);
  return true;
}

}  // namespace

bool InTagList(std::string_view list, std::string_view path) { return ExtensionInList(list, Extension(path)); }

bool ParseTrackText(std::string_view text, std::uint32_t max, std::uint32_t& value) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  if (text.empty()) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  std::uint64_t parsed = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (error != std::errc() || end != text.data() + text.size() || parsed > max) return false;
  value = static_cast<std::uint32_t>(parsed);
  return true;
}

std::vector<std::string> CollectTagFiles(const std::vector<std::string>& selected, FileSystem& fs) {
  std::vector<std::string> files;
  for (const std::string& path : selected)
    if (InTagList(kTaggableExtensions, path) && fs.Exists(path)) files.push_back(path);
  return files;
}

void TagSelectionLoader::Merge(TagColumn& column, const TagTexts& texts) {
  if (count_ == 0) {
    column.Text = texts;
    return;
  }
  for (int f = 0; f < kTagFields; ++f)
    if (texts[static_cast<std::size_t>(f)] != column.Text[static_cast<std::size_t>(f)])
      column.Ticked[static_cast<std::size_t>(f)] = false;
}

void TagSelectionLoader::Add(const std::string& path) {
  // A tag that is missing or cannot be read merges as empty texts: were the
  // file left out of the column, the column would keep another file's
  // values ticked and saving would write them into this one.
  if (InTagList(kId3v1Extensions, path)) {
    sv::tags::TID3v1 v1(fs_);
    if (!v1.ReadFromFile(path)) v1.ResetData();
    Merge(Column1, {v1.GetArtist(), v1.GetAlbum(), v1.GetTitle(), v1.Year, TwoDigits(v1.Track), v1.GetComment(),
                    v1.GetGenre()});
  }
  if (InTagList(kMpegExtensions, path)) {
    sv::tags::TID3v2 v2(fs_);
    if (!v2.ReadFromFile(path) || !v2.Exists) v2.ResetData();
    Merge(Column2, {v2.Artist, v2.Album, v2.Title, v2.Year, TwoDigits(v2.Track), v2.Comment, v2.Genre});
  }
  if (InTagList(kOggExtensions, path)) {
    // The stream check is for the information text only: a short or
    // many-channel stream still has its comments, which a save keeps.
    sv::tags::TOggVorbis ogg(fs_);
    if (!ogg.ReadFromFile(path)) ogg.ResetData();
    Merge(Column2, {ogg.Artist, ogg.Album, ogg.Title, ogg.Date, TwoDigits(ogg.Track), ogg.Comment, ogg.Genre});
  }
  if (InTagList(kApeExtensions, path)) {
    sv::tags::TAPETag ape(fs_);
    if (!ape.ReadFromFile(path) || !ape.Exists) ape.ResetData();
    TagTexts texts;
    for (int f = 0; f < kTagFields; ++f)
      texts[static_cast<std::size_t>(f)] = ape.GetField(kApeFieldKeys[static_cast<std::size_t>(f)]);
    Merge(Column2, texts);
  }
  ++count_;
}

std::string TagInfoText(const std::string& path, const sv::tags::TimeOfDayFormatter& timeOfDay, char decimalSeparator,
                        FileSystem& fs) {
  if (InTagList(kMpegExtensions, path)) {
    sv::tags::InfosMPEG info;
    const sv::tags::TagStatus status = sv::tags::ReadMPEGInfo(path, info, fs);
    if (status == sv::tags::TagStatus::Ok || status == sv::tags::TagStatus::NoTag)
      return sv::tags::MPEGInfoText(info, timeOfDay, decimalSeparator);
  } else if (InTagList(kOggExtensions, path)) {
    sv::tags::TOggVorbis ogg(fs);
    if (ogg.ReadFromFile(path) && ogg.IsValid()) return ogg.InfoText;
  }
  return "...";
}

TagFileWriter::TagFileWriter(TagWriteMode mode, TagColumn column1, TagColumn column2, FileSystem& fs)
    : mode_(mode), column1_(std::move(column1)), column2_(std::move(column2)), fs_(fs) {
  for (TagColumn* column : {&column1_, &column2_})
    if (column->Text[FieldTrack].empty()) column->Text[FieldTrack].push_back('0');
}

bool TagFileWriter::CopySourceExists(const std::string& path, bool& exists) {
  if (mode_ == TagWriteMode::Id3v1ToId3v2) {
    sv::tags::TID3v1 v1(fs_);
    if (!v1.ReadFromFile(path)) return false;
    exists = v1.Exists;
  } else {
    // A tag whose frames cannot be read has nothing to copy: copying it
    // would empty the record.
    sv::tags::TID3v2 v2(fs_);
    const bool read = v2.ReadFromFile(path);
    if (!read && !Unreadable(v2.LastStatus())) return false;
    exists = read && v2.Exists;
  }
  return true;
}

TagFileWriter::Outcome TagFileWriter::Write(const std::string& path, int index) {
  const bool mpeg = InTagList(kMpegExtensions, path);
  const bool save = mode_ == TagWriteMode::Save;
  const bool musepack = save && InTagList(kMusepackExtensions, path);
  const bool ogg = save && InTagList(kOggExtensions, path);
  const bool ape = save && InTagList(kApeExtensions, path);
  Outcome outcome;
  if (!mpeg && !musepack && !ogg && !ape) {
    outcome.Written = true;
    return outcome;
  }
  if (!save) {
    // Copying a tag the file lacks would empty the other one.
    bool exists = false;
    if (!CopySourceExists(path, exists)) return outcome;
    if (!exists) {
      outcome.Skipped = true;
      return outcome;
    }
  }
  NormalAttributes attributes(fs_, path);
  if (!attributes.Ready()) return outcome;
  bool ok = true;
  if (mpeg) {
    ok = WriteMpeg(path, index, outcome) && ok;
    outcome.Steps += 2;
  }
  if (musepack) {
    ok = WriteMusepackId3v1(path, index, outcome) && ok;
    outcome.Steps += 2;
  }
  if (ogg) {
    ok = WriteOgg(path, index, outcome) && ok;
    outcome.Steps += 2;
  }
  if (ape) {
    ok = WriteApe(path, index, outcome) && ok;
    outcome.Steps += 2;
  }
  outcome.Written = ok;
  return outcome;
}

// ID3v1 first, then ID3v2. Each copy reads the target tag first and
// replaces only the seven fields: pictures, other frames and the Lyrics3
// block stay. A save still writes the record when the ID3v2 tag cannot be
// read (and then cannot be rewritten).
bool TagFileWriter::WriteMpeg(const std::string& path, int index, Outcome& outcome) {
  sv::tags::TID3v1 v1(fs_);
  sv::tags::TID3v2 v2(fs_);
  if (!v1.ReadFromFile(path)) return false;
  const bool v2Read = v2.ReadFromFile(path, true);
  if (!v2Read && (mode_ != TagWriteMode::Save || !Unreadable(v2.LastStatus()))) return false;
  switch (mode_) {
    case TagWriteMode::Id3v1ToId3v2:
      v2.SetArtist(v1.GetArtist());
      v2.SetAlbum(v1.GetAlbum());
      v2.SetTitle(v1.GetTitle());
      v2.SetYear(v1.Year);
      v2.SetTrack(v1.Track);
      v2.SetComment(v1.GetComment());
      v2.SetGenre(v1.GetGenre());
      return SaveNamed(v2, path, kId3v2Name, outcome);
    case TagWriteMode::Id3v2ToId3v1:
      v1.SetArtist(v2.Artist);
      v1.SetAlbum(v2.Album);
      v1.SetTitle(v2.Title);
      v1.SetYear(v2.Year);
      v1.SetTrack(Id3v1Track(v2.Track));
      v1.SetComment(v2.Comment);
      v1.SetGenre(v2.Genre);
      return SaveNamed(v1, path, kId3v1Name, outcome);
    case TagWriteMode::Save:
      break;
  }
  ApplyToId3v1(v1, column1_, index);
  ApplyToId3v2(v2, column2_, index);
  const bool v1Saved = SaveNamed(v1, path, kId3v1Name, outcome);
  const bool v2Saved = v2Read && SaveNamed(v2, path, kId3v2Name, outcome);
  return v1Saved && v2Saved;
}

bool TagFileWriter::WriteMusepackId3v1(const std::string& path, int index, Outcome& outcome) {
  sv::tags::TID3v1 v1(fs_);
  if (!v1.ReadFromFile(path)) return false;
  ApplyToId3v1(v1, column1_, index);
  return SaveNamed(v1, path, kId3v1Name, outcome);
}

bool TagFileWriter::WriteOgg(const std::string& path, int index, Outcome& outcome) {
  sv::tags::TOggVorbis ogg(fs_);
  if (!ogg.ReadFromFile(path)) return false;
  const auto& t = column2_.Text;
  const auto& on = column2_.Ticked;
  if (on[FieldArtist]) ogg.Artist = t[FieldArtist];
  if (on[FieldAlbum]) ogg.Album = t[FieldAlbum];
  if (on[FieldTitle]) ogg.Title = t[FieldTitle];
  if (on[FieldYear]) ogg.Date = t[FieldYear];
  std::uint32_t track = 0;
  if (on[FieldTrack] && TrackOf(column2_, index, 0xFFFF, track) && track <= 0xFFFF)
    ogg.Track = static_cast<std::uint16_t>(track);
  if (on[FieldComment]) ogg.Comment = t[FieldComment];
  if (on[FieldGenre]) ogg.Genre = t[FieldGenre];
  if (!ogg.SaveTag(path)) return false;
  outcome.Saved.emplace_back("Ogg");
  return true;
}

bool TagFileWriter::WriteApe(const std::string& path, int index, Outcome& outcome) {
  sv::tags::TAPETag ape(fs_);
  if (!ape.ReadFromFile(path)) return false;
  for (int f = 0; f < kTagFields; ++f) {
    const auto at = static_cast<std::size_t>(f);
    if (!column2_.Ticked[at]) continue;
    std::string value = column2_.Text[at];
    if (f == FieldTrack && column2_.AutoTrack) value = TwoDigits(static_cast<unsigned>(index + 1));
    ape.SetField(kApeFieldKeys[at], value);
  }
  return SaveNamed(ape, path, "APE", outcome);
}

}  // namespace player
