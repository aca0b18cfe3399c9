#pragma once
// ID3v2 tag at the start of a file: versions 2.2, 2.3 and 2.4 are read into
// a fixed set of text fields and, on request, the JPEG cover; saving writes
// version 2.3, in place when the old tag has room, else by rebuilding the
// file through a temporary copy.
//
// Saving keeps everything the fields do not carry: other frames byte for
// byte, every field the caller left unchanged as stored, the pictures unless
// the caller touched the picture.
#include <cstdint>
#include <string>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

class TID3v2 {
 public:
  explicit TID3v2(FileSystem& fs = NativeFileSystem());

  bool Exists = false;          // the file starts with "ID3"
  std::uint8_t VersionID = 0;   // major version byte
  std::int32_t Size = 0;        // whole tag (header, frames, footer); 0 when it would pass the end of the file
  std::string Title, Artist, Album;
  std::uint16_t Track = 0;      // 0 = none
  std::string TrackString;      // the track frame as stored ("3/12")
  std::string Year, Genre, Comment, Composer, Encoder, Copyright, Language, Link;
  std::string SizeText;
  std::string Picture;          // JPEG bytes; empty when none or not asked for

  void ResetData();

  // False when the file cannot be opened, is shorter than a tag header, or
  // a read fails (the fields read before the failure are kept); also, with
  // Exists true and no fields, for a tag whose frames cannot be walked from
  // their start (Malformed) or that this reader does not know (Unsupported).
  // True otherwise, with Exists false when there is no tag.
  bool ReadFromFile(const std::string& fileName, bool readPicture = false);
  // True when the new tag was written; on false the file is unchanged. A
  // field counts as changed when it differs from what this object read
  // from that same file, or, for a file it did not read, from the file's
  // own stored value; unchanged fields keep their stored frames. A tag
  // whose frames cannot all be walked is refused (Malformed).
  bool SaveToFile(const std::string& fileName);

  // Store the value trimmed at both ends.
  void SetTitle(const std::string& value);
  void SetArtist(const std::string& value);
  void SetAlbum(const std::string& value);
  void SetYear(const std::string& value);
  void SetGenre(const std::string& value);
  void SetComment(const std::string& value);
  void SetTrack(std::uint16_t value) { Track = value; }
  // Marks the picture as the caller's choice, so that saving writes it (or,
  // when empty, removes the stored JPEG pictures). Assigning Picture a value
  // other than the one read does the same.
  void SetPicture(const std::string& jpeg);

  TagStatus LastStatus() const { return status_; }

 private:
  // The fields as read, to tell on save what the caller changed.
  struct Snapshot {
    std::string Title, Artist, Album, TrackString, Year, Genre, Comment, Composer, Encoder,
        Copyright, Language, Link, Picture;
    std::uint16_t Track = 0;
  };

  bool Finish(TagStatus status);
  // Takes the fields as those stored in `fileName` (empty: in no file).
  void TakeSnapshot(const std::string& fileName);
  friend class ID3v2Saver;

  FileSystem& fs_;
  TagStatus status_ = TagStatus::Ok;
  Snapshot read_;
  std::string readFrom_;  // the file read_ describes
  bool pictureTouched_ = false;
};

}  // namespace sv::tags
