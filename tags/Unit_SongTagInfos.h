#pragma once
// The player's single view of a song file: the first usable tag among ID3v2,
// APE, ID3v1, WMA and Ogg Vorbis (the readers tried depend on the extension),
// the cover picture, and the length as the audio engine measures it. Load
// never throws: a reader that cannot open or read the file found nothing, and
// the next one is tried.
#include <cstdint>
#include <string>

#include "tags/FileAccess.h"

namespace sv::tags {

// The calls of the audio engine that measure a file, as the engine exports
// them, so that the engine can be plugged in without this object knowing it.
class LengthProbe {
 public:
  using Handle = std::uint32_t;  // 0 means none
  static constexpr std::uint32_t kMusicPrescan = 0x20000;

  virtual ~LengthProbe() = default;
  virtual Handle StreamCreateFile(const std::string& path) = 0;
  virtual Handle MusicLoad(const std::string& path, std::uint32_t flags) = 0;
  // Bytes of decoded 16-bit PCM; negative when unknown.
  virtual std::int64_t ChannelGetLength(Handle handle) = 0;
  virtual double ChannelBytes2Seconds(Handle handle, std::int64_t bytes) = 0;
  // Called once per measure, with 0 when nothing was opened.
  virtual void StreamFree(Handle handle) = 0;
};

class TSongInfo {
 public:
  // Without a probe, no length is ever measured.
  explicit TSongInfo(LengthProbe* probe = nullptr, FileSystem& fs = NativeFileSystem());

  std::string FileName;
  std::string Artist, Album, Title;
  std::string DurationText;  // "nn:ss", from one hour "hh:nn:ss"; empty when not measured
  std::string Track;         // two digits at least; an APE tag's text as stored ("7/12")
  std::string Genre, Year, Comment;
  std::int64_t Length = -1;  // bytes as the engine counts them; -1 when not measured
  float Seconds = -1.0f;
  bool Found = false;        // a tag with a non-empty title was read
  std::string Picture;       // JPEG bytes (ID3v2 only); empty otherwise

  void Clear();
  // Measures the length only when readLength, reads the picture only when
  // readPicture: the title builder calls this for every playlist entry.
  void Load(const std::string& fileName, bool readLength, bool readPicture);

 private:
  void MeasureLength();
  bool ReadID3v2(bool readPicture);
  bool ReadAPE();
  bool ReadID3v1();
  bool ReadWMA();
  bool ReadOgg();

  LengthProbe* probe_;
  FileSystem& fs_;
};

}  // namespace sv::tags
