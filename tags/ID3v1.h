#pragma once
// ID3v1.0/1.1 record (the last 128 bytes of a file) and the Lyrics3 v2
// block that may stand just before it, carrying long title, artist, album
// and comment, lyrics, author and an image link.
//
// Texts are UTF-8 here and in the ANSI code page in the file (AnsiCodec.h).
// Callers read the fields directly and change them through the setters.
#include <cstdint>
#include <string>

#include "tags/FileAccess.h"
#include "tags/Genres.h"
#include "tags/Status.h"

namespace sv::tags {

class TID3v1 {
 public:
  explicit TID3v1(FileSystem& fs = NativeFileSystem());

  bool Exists = false;      // a record was found, or has been written
  std::uint8_t VersionID = 1;  // 1 = ID3v1.0, 2 = ID3v1.1 (28-byte comment and a track byte)
  std::string Title, Artist, Album;
  std::string Year;         // at most 4 characters
  std::string Comment;
  std::uint8_t Track = 0;   // 0 = none
  std::uint8_t GenreID = kNoGenre;
  bool Lyrics3Present = false;
  std::int32_t Lyrics3Size = 0;  // from "LYRICSBEGIN" through the last field, footer excluded
  std::string LongArtist, LongAlbum, LongTitle, LongComment;
  std::string ImageLink, Author, Lyrics;

  void ResetData();

  // True also when the file has no tag (Exists is then false); false when
  // the file cannot be opened or read.
  bool ReadFromFile(const std::string& fileName);
  // Replaces the file's record and Lyrics3 block by new ones in one
  // rewrite of the file's tail: the file ends up with the new tags, or is
  // left exactly as it was.
  bool SaveToFile(const std::string& fileName);
  // Cuts the record and the Lyrics3 block from the end of the file.
  bool RemoveFromFile(const std::string& fileName);

  // Store the value without trailing characters of code 0x20 or less; 31
  // characters or more also go into the long field, otherwise the long
  // field is cleared.
  void SetTitle(const std::string& value);
  void SetArtist(const std::string& value);
  void SetAlbum(const std::string& value);
  void SetComment(const std::string& value);
  void SetYear(const std::string& value);  // trailing-trimmed, 4 characters kept
  void SetTrack(std::uint8_t value) { Track = value; }
  void SetGenreID(std::uint8_t value) { GenreID = value; }
  void SetGenre(const std::string& name) { GenreID = FindGenre(name); }

  // The long field when it is not empty, else the short one.
  std::string GetTitle() const { return LongTitle.empty() ? Title : LongTitle; }
  std::string GetArtist() const { return LongArtist.empty() ? Artist : LongArtist; }
  std::string GetAlbum() const { return LongAlbum.empty() ? Album : LongAlbum; }
  std::string GetComment() const { return LongComment.empty() ? Comment : LongComment; }
  std::string GetGenre() const;
  // The whole Lyrics3 block's length (footer included), 0 when none.
  std::int32_t GetLyrics3Size() const { return Lyrics3Size <= 0 ? 0 : Lyrics3Size + 15; }

  // The detailed outcome of the last read, save or remove.
  TagStatus LastStatus() const { return status_; }

 private:
  bool Finish(TagStatus status);
  void ApplyLyricsField(std::string_view id, std::string_view value);

  FileSystem& fs_;
  TagStatus status_ = TagStatus::Ok;
  std::string readFrom_;  // the file the fields were read from, if any
};

}  // namespace sv::tags
