#include "tags/ID3v2.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/Ascii.h"
#include "tags/ID3v2Fields.h"
#include "tags/ID3v2Frames.h"
#include "tags/TextUtil.h"

namespace sv::tags {
namespace {

using namespace id3;

// Text frames (titles, comments, links) are read whole up to this size,
// with or without pictures, so that every read of a file sees the same
// values; a longer one reads as its beginning.
constexpr std::size_t kTextFrameRead = 64 * 1024;
// Pictures are taken from frames up to this size.
constexpr std::uint64_t kMaxPictureFrame = 1'000'000;

// What the frame walk found for the fields.
struct Found {
  std::array<std::optional<std::string>, kEntryCount> data;  // frame data, the last of each ID
  std::optional<Described> comment, link;                    // the chosen ones
  bool commentHasEmptyDescription = false, linkHasEmptyDescription = false;
  std::optional<std::string> picture;
  bool pictureIsFrontCover = false;
};

// Prefers the first frame with an empty description, else the first: other
// programs keep their own data in described comments.
void Choose(std::optional<Described>& chosen, bool& chosenEmpty, Described candidate) {
  const bool empty = candidate.description.empty();
  if (!chosen || (empty && !chosenEmpty)) {
    chosen = std::move(candidate);
    chosenEmpty = empty;
  }
}

void Collect(Found& found, int entry, std::uint8_t version, std::string data) {
  Described d;
  if (entry == kComment) {
    if (ParseComment(data, d)) Choose(found.comment, found.commentHasEmptyDescription, std::move(d));
  } else if (entry == kLink) {
    if (ParseLink(data, d)) Choose(found.link, found.linkHasEmptyDescription, std::move(d));
  } else if (entry == kPicture) {
    PictureFrame p;
    if (!ParsePicture(data, version, p) || !p.jpeg) return;
    const bool front = p.type == kFrontCover;
    if (!found.picture || (front && !found.pictureIsFrontCover)) {
      found.picture = data.substr(p.dataOffset);
      found.pictureIsFrontCover = front;
    }
  } else if (!data.empty() && static_cast<unsigned char>(data[0]) <= 3) {
    found.data[static_cast<std::size_t>(entry)] = std::move(data);
  }
}

std::string Text(const Found& found, int entry) {
  const auto& d = found.data[static_cast<std::size_t>(entry)];
  return d ? TextValue(*d) : std::string();
}

std::string TextOr(const Found& found, int entry, int fallback) {
  std::string s = Text(found, entry);
  return s.empty() ? Text(found, fallback) : s;
}

}  // namespace

TID3v2::TID3v2(FileSystem& fs) : fs_(fs) { ResetData(); }

void TID3v2::ResetData() {
  Exists = false;
  VersionID = 0;
  Size = 0;
  Title.clear();
  Artist.clear();
  Album.clear();
  Track = 0;
  TrackString.clear();
  Year.clear();
  Genre.clear();
  Comment.clear();
  Composer.clear();
  Encoder.clear();
  Copyright.clear();
  Language.clear();
  Link.clear();
  SizeText.clear();
  Picture.clear();
  read_ = Snapshot{};
  readFrom_.clear();
  pictureTouched_ = false;
}

void TID3v2::SetTitle(const std::string& value) { Title = std::string(Trim(value)); }
void TID3v2::SetArtist(const std::string& value) { Artist = std::string(Trim(value)); }
void TID3v2::SetAlbum(const std::string& value) { Album = std::string(Trim(value)); }
void TID3v2::SetYear(const std::string& value) { Year = std::string(Trim(value)); }
void TID3v2::SetGenre(const std::string& value) { Genre = std::string(Trim(value)); }
void TID3v2::SetComment(const std::string& value) { Comment = std::string(Trim(value)); }

void TID3v2::SetPicture(const std::string& jpeg) {
  Picture = jpeg;
  pictureTouched_ = true;
}

bool TID3v2::Finish(TagStatus status) {
  status_ = status;
  return Succeeded(status);
}

void TID3v2::TakeSnapshot(const std::string& fileName) {
  read_ = Snapshot{Title,   Artist,  Album,     TrackString, Year, Genre,  Comment,
                   Composer, Encoder, Copyright, Language,    Link, Picture, Track};
  readFrom_ = fileName;
  pictureTouched_ = false;
}

bool TID3v2::ReadFromFile(const std::string& fileName, bool readPicture) {
  ResetData();
  auto file = fs_.OpenRead(fileName);
  if (!file) return Finish(TagStatus::OpenFailed);
  std::uint64_t fileSize = 0;
  char head[kHeaderSize];
  if (!file->Size(fileSize)) return Finish(TagStatus::IoError);
  if (fileSize < kHeaderSize) {
    status_ = TagStatus::NoTag;
    return false;
  }
  if (!ReadExact(*file, 0, head, kHeaderSize)) return Finish(TagStatus::IoError);
  TagHeader header;
  if (!ParseHeader(head, header)) return Finish(TagStatus::NoTag);

  Exists = true;
  VersionID = header.version;
  if (header.sizeValid && header.Total() <= fileSize) Size = static_cast<std::int32_t>(header.Total());
  // A tag that claims more than the file holds still yields its complete
  // frames (Size stays 0, and a save refuses it). One whose frames cannot be
  // walked is no empty tag: callers must not take (or copy) its fields.
  FrameArea area;
  if (const TagStatus opened = OpenFrameArea(*file, fileSize, header, area); opened != TagStatus::Ok)
    return Finish(opened);

  Found found;
  const std::uint8_t version = header.version;
  const bool tagUnsync = (header.flags & kUnsynchronised) != 0;
  std::size_t frames = 0;
  // A read error ends the walk; the fields read so far are kept, but the
  // result tells the caller not to trust (or save) them as the whole tag.
  const WalkEnd end = WalkFrames(
      area, version,
      [&](const Frame& f) -> std::size_t {
        const int entry = EntryOf(f.id, version);
        if (entry < 0) return 0;
        if (entry == kPicture) return readPicture && f.size <= kMaxPictureFrame ? f.size : 0;
        return kTextFrameRead;
      },
      [&](Frame& f) {
        ++frames;
        std::string data;
        if (f.payload.empty() || !FrameData(f, version, tagUnsync, data)) return;
        Collect(found, EntryOf(f.id, version), version, std::move(data));
      });
  TagStatus walked = TagStatus::Ok;
  if (end == WalkEnd::ReadError) {
    walked = TagStatus::IoError;
  } else if (end == WalkEnd::Stopped && frames == 0) {
    walked = TagStatus::Malformed;
  }

  Title = TextOr(found, kTitle, kContentGroup);
  Artist = TextOr(found, kArtist, kOriginalArtist);
  Album = TextOr(found, kAlbum, kOriginalAlbum);
  TrackString = Text(found, kTrack);
  Track = TrackNumber(TrackString);
  Year = Text(found, kYear);
  if (Year.empty()) Year = std::string(Utf8PrefixChars(Text(found, kRecordingTime), 4));
  Genre = GenreText(Text(found, kGenre));
  Comment = found.comment ? found.comment->value : std::string();
  Composer = Text(found, kComposer);
  Encoder = Text(found, kEncoder);
  Copyright = Text(found, kCopyright);
  Language = Text(found, kLanguage);
  Link = found.link ? found.link->value : std::string();
  SizeText = Text(found, kSizeText);
  if (found.picture) Picture = std::move(*found.picture);
  TakeSnapshot(walked == TagStatus::Ok ? fileName : std::string());
  return Finish(walked);
}

}  // namespace sv::tags
