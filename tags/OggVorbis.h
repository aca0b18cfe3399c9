#pragma once
// Ogg Vorbis stream information (channels, rates, length) and comments.
// Comments are written back by rebuilding the file through a temporary
// copy: the comment packet is laid over new pages, and every item the caller
// did not change is kept byte for byte.
#include <cstdint>
#include <string>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

class TOggVorbis {
 public:
  explicit TOggVorbis(FileSystem& fs = NativeFileSystem()) : fs_(fs) {}

  // All numbers 0, all texts empty.
  void ResetData();

  // True when the file has the Ogg and Vorbis identification headers where
  // expected (the comment header is optional). LastStatus(): Ok, NoTag (no
  // Vorbis stream), OpenFailed, IoError, Malformed (a broken comment
  // packet: the items before the fault are shown), Unsupported (a comment
  // packet too large to read: no comments shown).
  bool ReadFromFile(const std::string& path);

  // Writes Title, Artist, Album, Track, Date, Genre and Comment. A field
  // equal to what the file holds keeps its stored items; a changed one
  // replaces the items of its name. Everything else (other items, the
  // vendor, repeated names, long values, pictures) stays as stored. The file
  // is either unchanged or completely rewritten. LastStatus(): Ok,
  // OpenFailed, IoError, Malformed (the headers cannot be rewritten safely),
  // Unsupported (a comment packet beyond the size this library handles).
  bool SaveTag(const std::string& path);

  TagStatus LastStatus() const { return status_; }

  double Duration() const;       // seconds
  std::uint32_t BitRate() const;  // average kbit/s
  bool IsValid() const;

  std::uint64_t FileSize = 0;
  std::uint8_t ChannelModeID = 0;  // channel count
  std::uint32_t SampleRate = 0;
  std::uint16_t BitRateNominal = 0;  // nominal bit/s / 1024; 0 when unset
  // Length in samples at SampleRate: the last granule position, or for a
  // chained file its links' lengths summed.
  std::uint64_t Samples = 0;
  std::uint64_t ID3v2Size = 0;       // an ID3v2 tag in front of the Ogg data
  std::string Title, Artist, Album;
  std::uint16_t Track = 0;  // 0 to 255
  std::string Date, Genre, Comment;
  std::string Vendor;
  std::string InfoText;  // four lines, each ended by CR LF

 private:
  FileSystem& fs_;
  TagStatus status_ = TagStatus::NoTag;
};

}  // namespace sv::tags
