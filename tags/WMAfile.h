#pragma once
// Reads (never writes) the header of a Windows Media Audio file in the
// Advanced Systems Format: the audio stream's values and the texts of the
// content description objects.
#include <cstdint>
#include <string>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

class TWMAfile {
 public:
  explicit TWMAfile(FileSystem& fs = NativeFileSystem()) : fs_(fs) {}

  // All numbers 0, all texts empty, Valid false.
  void ResetData();

  // False when the file cannot be opened, a read fails, or the header runs
  // past the end of the file (a file under 16 bytes too); true otherwise, with Valid telling whether the
  // stream values passed the range checks. The fields are set only when
  // Valid. LastStatus() has the detail: Ok (Valid), NoTag (not ASF, or
  // values out of range), OpenFailed, IoError, Malformed (truncated).
  bool ReadFromFile(const std::string& path);
  TagStatus LastStatus() const { return status_; }

  bool Valid = false;
  std::uint64_t FileSize = 0;
  std::uint32_t Channels = 0;
  std::uint32_t SampleRate = 0;
  double Duration = 0;  // seconds: the play duration less the preroll, else from the maximum bit rate
  std::uint32_t BitRate = 0;  // kbit/s
  std::string Title, Artist, Album;
  std::uint32_t Track = 0;  // 0 when not a number
  std::string Year, Genre, Comment;

 private:
  FileSystem& fs_;
  TagStatus status_ = TagStatus::NoTag;
};

}  // namespace sv::tags
