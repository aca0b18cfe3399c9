#include "tags/Unit_SongTagInfos.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <string_view>

#include "base/Ascii.h"
#include "base/Duration.h"
#include "tags/APETag.h"
#include "tags/ID3v1.h"
#include "tags/ID3v2.h"
#include "tags/OggVorbis.h"
#include "tags/WMAfile.h"

namespace sv::tags {

namespace {

// Matched as whole entries: an empty or partial extension finds nothing.
bool InList(std::string_view list, std::string_view extension) {
  if (extension.empty() || extension.find('$') != std::string_view::npos) return false;
  return sv::LowerAscii(list).find("$" + sv::LowerAscii(extension) + "$") != std::string::npos;
}

std::string TwoDigits(unsigned number) {
  char text[16];
  std::snprintf(text, sizeof text, "%.2u", number);
  return text;
}

bool HasTitle(const std::string& title) { return !Trim(title).empty(); }

bool IsJpeg(const std::string& bytes) {
  return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
         static_cast<unsigned char>(bytes[1]) == 0xD8;
}

// A date such as "2004-05-01" gives its year; other texts stay as stored.
std::string YearOfDate(const std::string& date) {
  const std::string_view trimmed = Trim(date);
  if (trimmed.size() > 4 && trimmed.find_first_not_of("0123456789") == 4) return std::string(trimmed.substr(0, 4));
  return std::string(trimmed);
}

// A reader that fails in any way found nothing; the next one is tried.
template <typename Read>
bool Guard(Read read) {
  try {
    return read();
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

TSongInfo::TSongInfo(LengthProbe* probe, FileSystem& fs) : probe_(probe), fs_(fs) {}

void TSongInfo::Clear() {
  FileName.clear();
  Artist.clear();
  Album.clear();
  Title.clear();
  DurationText.clear();
  Track.clear();
  Genre.clear();
  Year.clear();
  Comment.clear();
  Picture.clear();
  Length = -1;
  Seconds = -1.0f;
  Found = false;
}

void TSongInfo::Load(const std::string& fileName, bool readLength, bool readPicture) {
  Clear();
  FileName = fileName;
  if (!fs_.Exists(fileName)) return;
  if (readLength) Guard([this] { MeasureLength(); return true; });

  const std::string extension = [&] {
    const std::size_t dot = fileName.find_last_of(".\\/:");
    return dot == std::string::npos || fileName[dot] != '.' ? std::string() : fileName.substr(dot);
  }();
  if (InList("$.mp3$.mp2$", extension) && Guard([&] { return ReadID3v2(readPicture); })) return;
  if (InList("$.mpc$.wv$.ofr$.ofs$.ape$.mac$", extension) && Guard([&] { return ReadAPE(); })) return;
  if (InList("$.mp3$.mp2$.mpc$", extension) && Guard([&] { return ReadID3v1(); })) return;
  if (InList("$.wma$", extension) && Guard([&] { return ReadWMA(); })) return;
  if (InList("$.ogg$", extension)) Guard([&] { return ReadOgg(); });
}

void TSongInfo::MeasureLength() {
  if (probe_ == nullptr) return;
  LengthProbe::Handle handle = probe_->StreamCreateFile(FileName);
  if (handle == 0) handle = probe_->MusicLoad(FileName, LengthProbe::kMusicPrescan);
  if (handle != 0) {
    const std::int64_t bytes = probe_->ChannelGetLength(handle);
    const double seconds = bytes >= 0 ? probe_->ChannelBytes2Seconds(handle, bytes) : -1.0;
    // Whatever the engine says that is no length leaves the song unmeasured.
    if (bytes >= 0 && std::isfinite(seconds) && seconds >= 0 && seconds < 1e9) {
      Length = bytes;
      Seconds = static_cast<float>(seconds);
      DurationText = sv::DurationText(seconds);
    }
  }
  probe_->StreamFree(handle);
}

bool TSongInfo::ReadID3v2(bool readPicture) {
  TID3v2 tag(fs_);
  if (!tag.ReadFromFile(FileName, readPicture) || !tag.Exists || !HasTitle(tag.Title)) return false;
  Artist = tag.Artist;
  Album = tag.Album;
  Title = tag.Title;
  Track = TwoDigits(tag.Track);
  Genre = tag.Genre;
  Year = tag.Year;
  Comment = tag.Comment;
  if (readPicture && IsJpeg(tag.Picture)) Picture = std::move(tag.Picture);
  Found = true;
  return true;
}

bool TSongInfo::ReadAPE() {
  TAPETag tag(fs_);
  if (!tag.ReadFromFile(FileName) || !tag.Exists || !HasTitle(tag.GetField("Title"))) return false;
  Artist = tag.GetField("Artist");
  Album = tag.GetField("Album");
  Title = tag.GetField("Title");
  Track = tag.GetField("Track");
  Genre = tag.GetField("Genre");
  Year = tag.GetField("Year");
  Comment = tag.GetField("Comment");
  Found = true;
  return true;
}

bool TSongInfo::ReadID3v1() {
  TID3v1 tag(fs_);
  if (!tag.ReadFromFile(FileName) || !tag.Exists || !HasTitle(tag.GetTitle())) return false;
  Artist = tag.GetArtist();
  Album = tag.GetAlbum();
  Title = tag.GetTitle();
  Track = TwoDigits(tag.Track);
  Genre = tag.GetGenre();
  Year = tag.Year;
  Comment = tag.GetComment();
  Found = true;
  return true;
}

bool TSongInfo::ReadWMA() {
  TWMAfile tag(fs_);
  if (!tag.ReadFromFile(FileName) || !tag.Valid || !HasTitle(tag.Title)) return false;
  Artist = tag.Artist;
  Album = tag.Album;
  Title = tag.Title;
  Track = TwoDigits(tag.Track);
  Genre = tag.Genre;
  Year = tag.Year;
  Comment = tag.Comment;
  Found = true;
  return true;
}

bool TSongInfo::ReadOgg() {
  TOggVorbis tag(fs_);
  if (!tag.ReadFromFile(FileName) || !tag.IsValid() || !HasTitle(tag.Title)) return false;
  Artist = tag.Artist;
  Album = tag.Album;
  Title = tag.Title;
  Track = TwoDigits(tag.Track);
  Genre = tag.Genre;
  Year = YearOfDate(tag.Date);
  Comment = tag.Comment;
  Found = true;
  return true;
}

}  // namespace sv::tags
