#pragma once
// MPEG audio frame header (MPEG 1, 2 and 2.5; layers 1 to 3): finds the first
// real frame of a file and describes it in a nine-line text for the tag
// editor. No VBR header is read: the duration assumes a constant bit rate
// over the whole file, tags included.
#include <cstdint>
#include <functional>
#include <string>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

struct InfosMPEG {
  std::uint64_t FileSize = 0;
  std::uint64_t HeaderPos = 0;  // offset of the frame header in the file
  std::string Version;          // "MPEG 1.0", "MPEG 2.0", "MPEG 2.5", "Reserved"
  std::string Layer;            // "Layer 1" .. "Layer 3", "Reserved"
  bool Protected = false;       // a CRC follows the header
  std::string Bitrate;          // kbit/s as text, "free", "bad" or empty
  std::uint32_t SampleRate = 0;  // Hz, 0 when unknown
  std::string Mode;
  bool Copyrighted = false;
  bool Original = false;
  std::string Emphasis;
  double Duration = 0;  // seconds
};

// Decodes the four header bytes into `info` (all but FileSize, HeaderPos and
// Duration).
void DecodeMPEGHeader(const std::uint8_t header[4], InfosMPEG& info);

// Finds and decodes the first frame header. An ID3v2 tag at the start is
// skipped, and a header is taken only when its fields are valid; one
// confirmed by the next frame's sync is preferred over the first valid one.
// A header whose sync pair ends past FileSize - 128 is not decoded (only
// FileSize and HeaderPos are set). OpenFailed when the file cannot be opened,
// IoError on a read error, NoTag when no header was decoded.
TagStatus ReadMPEGInfo(const std::string& path, InfosMPEG& info,
                       FileSystem& fs = NativeFileSystem());

// Formats the duration split into hours (0-23), minutes and seconds.
using TimeOfDayFormatter = std::function<std::string(int hours, int minutes, int seconds)>;

// "hh:mm:ss": a duration reads the same whatever the user's clock format.
std::string PlainTimeOfDay(int hours, int minutes, int seconds);

// The nine lines, each ended by CR LF. The duration is also shown in hours,
// minutes and seconds, wrapping at 24 hours; `decimalSeparator` is the
// program-wide one.
std::string MPEGInfoText(const InfosMPEG& info, const TimeOfDayFormatter& timeOfDay = PlainTimeOfDay,
                         char decimalSeparator = '.');

}  // namespace sv::tags
