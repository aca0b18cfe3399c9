#include "tags/InfoMPEG.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

#include "tags/Id3v2Prefix.h"

namespace sv::tags {
namespace {

constexpr std::array<const char*, 4> kVersions = {"MPEG 2.5", "Reserved", "MPEG 2.0", "MPEG 1.0"};
constexpr std::array<const char*, 4> kLayers = {"Reserved", "Layer 3", "Layer 2", "Layer 1"};
constexpr std::array<const char*, 4> kModes = {"Stereo", "Joint stereo (Stereo)", "Dual channel (Stereo)",
                                               "Single channel (Mono)"};
constexpr std::array<const char*, 4> kEmphasis = {"None", "50/15 ms", "Reserved", "CCIT J.17"};

// Sample rates by version code (b1 >> 3 & 3) and rate index; 0 = none.
constexpr std::uint32_t kRates[4][3] = {
    {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};

// Bit rates (kbit/s) for indices 1..14: [mpeg1 ? 0 : 1][layer 1..3 - 1].
constexpr std::uint16_t kBitRates[2][3][14] = {
    {{32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
     {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
     {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
     {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
     {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};

int VersionCode(std::uint8_t b1) { return (b1 >> 3) & 3; }
int LayerNumber(std::uint8_t b1) { return 4 - ((b1 >> 1) & 3); }  // 4 = reserved

// Only these can be real frames: a reserved version, layer, rate or the
// "bad" bit-rate index never occurs in audio, but does in tag text and
// pictures.
bool PlausibleHeader(const std::uint8_t* h) {
  return h[0] == 0xFF && h[1] >= 0xE0 && VersionCode(h[1]) != 1 && LayerNumber(h[1]) != 4 &&
         (h[2] >> 4) != 15 && (h[2] & 0x0C) != 0x0C;
}

// Frame length in bytes; 0 when free format (not computable).
std::uint32_t FrameLength(const std::uint8_t* h) {
  const int version = VersionCode(h[1]);
  const int layer = LayerNumber(h[1]);
  const int index = h[2] >> 4;
  if (index == 0) return 0;
  const std::uint32_t br = kBitRates[version == 3 ? 0 : 1][layer - 1][index - 1] * 1000u;
  const std::uint32_t sr = kRates[version][(h[2] >> 2) & 3];
  const std::uint32_t pad = (h[2] >> 1) & 1;
  if (layer == 1) return (12 * br / sr + pad) * 4;
  if (layer == 3 && version != 3) return 72 * br / sr + pad;
  return 144 * br / sr + pad;
}

// The next frame continues the same stream: same version, layer and rate.
bool SameStream(const std::uint8_t* a, const std::uint8_t* b) {
  return PlausibleHeader(b) && (a[1] & 0x1E) == (b[1] & 0x1E) && (a[2] & 0x0C) == (b[2] & 0x0C);
}

// A free-format frame has no length in its header: it is confirmed by the
// next frame that repeats its header (the padding bit aside) within the
// longest frame such a stream can have.
constexpr std::uint32_t kMaxFreeFrame = 8192;
bool RepeatsHeader(const std::uint8_t* a, const std::uint8_t* b) {
  return b[0] == 0xFF && a[1] == b[1] && (a[2] & 0xFD) == (b[2] & 0xFD) && (a[3] & 0xC0) == (b[3] & 0xC0);
}

// Sequential reads of a large file through one buffer, with short
// look-aheads for the confirming frame.
class ScanBuffer {
 public:
  ScanBuffer(RandomAccessFile& file, std::uint64_t size) : file_(file), size_(size), data_(kWindow) {}

  // Copies `count` bytes at `pos` into `out`; false past the end or on an
  // error (`error()` tells which).
  bool Get(std::uint64_t pos, std::uint8_t* out, std::size_t count) {
    if (pos + count > size_) return false;
    if (pos < start_ || pos + count > start_ + filled_) {
      std::size_t got = 0;
      if (!file_.ReadAt(pos, data_.data(), data_.size(), got)) {
        error_ = true;
        return false;
      }
      start_ = pos;
      filled_ = got;
      if (count > filled_) return false;
    }
    for (std::size_t i = 0; i < count; ++i) out[i] = data_[pos - start_ + i];
    return true;
  }
  bool error() const { return error_; }

 private:
  static constexpr std::size_t kWindow = 64 * 1024;
  RandomAccessFile& file_;
  std::uint64_t size_;
  std::vector<std::uint8_t> data_;
  std::uint64_t start_ = 0;
  std::size_t filled_ = 0;
  bool error_ = false;
};

bool FreeFormatConfirmed(ScanBuffer& scan, std::uint64_t pos, const std::uint8_t* h) {
  std::uint8_t next[4];
  for (std::uint64_t at = pos + 4; at < pos + kMaxFreeFrame && scan.Get(at, next, 4); ++at)
    if (RepeatsHeader(h, next)) return true;
  return false;
}

// Whole number made of ASCII digits only; false for "free", "bad" or "".
bool ParseDecimal(const std::string& text, std::uint32_t& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

std::string FixedTwoDecimals(double value, char separator) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
  std::string text(buf, ec == std::errc() ? end : buf);
  for (char& c : text)
    if (c == '.') c = separator;
  return text;
}

}  // namespace

void DecodeMPEGHeader(const std::uint8_t header[4], InfosMPEG& info) {
  const std::uint8_t b1 = header[1], b2 = header[2], b3 = header[3];
  const int version = VersionCode(b1);
  const int layer = LayerNumber(b1);
  info.Version = kVersions[version];
  info.Layer = kLayers[(b1 >> 1) & 3];
  info.Protected = (b1 & 1) == 0;
  const int index = b2 >> 4;
  if (layer == 4)
    info.Bitrate.clear();
  else if (index == 0)
    info.Bitrate = "free";
  else if (index == 15)
    info.Bitrate = "bad";
  else
    info.Bitrate = std::to_string(kBitRates[version == 3 ? 0 : 1][layer - 1][index - 1]);
  const int rateIndex = (b2 >> 2) & 3;
  info.SampleRate = rateIndex == 3 ? 0 : kRates[version][rateIndex];
  info.Mode = kModes[b3 >> 6];
  info.Copyrighted = (b3 & 0x08) != 0;
  info.Original = (b3 & 0x04) != 0;
  info.Emphasis = kEmphasis[b3 & 3];
}

TagStatus ReadMPEGInfo(const std::string& path, InfosMPEG& info, FileSystem& fs) {
  info = InfosMPEG{};
  auto file = fs.OpenRead(path, ReadSharing::DenyNone);
  if (!file) return TagStatus::OpenFailed;
  std::uint64_t size = 0;
  std::uint64_t pos = 0;
  if (!file->Size(size) || !LeadingId3v2Size(*file, size, pos)) return TagStatus::IoError;
  info.FileSize = size;

  // A header is decoded only when its sync pair ends at or before
  // FileSize - 128, where a trailing ID3v1 record would start.
  const std::uint64_t limit = size >= 128 ? size - 128 : 0;
  ScanBuffer scan(*file, size);
  bool haveFallback = false;
  std::uint64_t fallbackPos = 0;
  std::uint8_t fallback[4] = {};
  std::uint8_t h[4];
  std::uint64_t chosenPos = 0;
  const std::uint8_t* chosen = nullptr;
  for (; pos + 2 <= size; ++pos) {
    std::uint8_t pair[2];
    if (!scan.Get(pos, pair, 2)) break;
    if (pair[0] != 0xFF || pair[1] < 0xE0) continue;
    // Header bytes past the end read as zero, which no valid header has.
    h[0] = pair[0];
    h[1] = pair[1];
    h[2] = h[3] = 0;
    if (pos + 4 <= size && !scan.Get(pos, h, 4)) break;
    if (!PlausibleHeader(h)) continue;
    if (pos + 2 > limit) {
      if (!haveFallback) info.HeaderPos = pos;
      break;
    }
    const std::uint32_t length = FrameLength(h);
    std::uint8_t next[4];
    if (length != 0 && scan.Get(pos + length, next, 4) && SameStream(h, next)) {
      chosenPos = pos;
      chosen = h;
      break;
    }
    if (length == 0 && FreeFormatConfirmed(scan, pos, h)) {
      chosenPos = pos;
      chosen = h;
      break;
    }
    if (scan.error()) break;
    if (!haveFallback) {
      haveFallback = true;
      fallbackPos = pos;
      for (int i = 0; i < 4; ++i) fallback[i] = h[i];
    }
  }
  if (scan.error()) return TagStatus::IoError;
  if (!chosen && haveFallback) {
    chosenPos = fallbackPos;
    chosen = fallback;
  }
  if (!chosen) return TagStatus::NoTag;

  info.HeaderPos = chosenPos;
  DecodeMPEGHeader(chosen, info);
  std::uint32_t kbps = 0;
  if (ParseDecimal(info.Bitrate, kbps) && kbps != 0)
    info.Duration = static_cast<double>(info.FileSize) * 8.0 / kbps / 1000.0;
  return TagStatus::Ok;
}

std::string PlainTimeOfDay(int hours, int minutes, int seconds) {
  char buf[16];
  const int n = std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hours, minutes, seconds);
  return std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::string MPEGInfoText(const InfosMPEG& info, const TimeOfDayFormatter& timeOfDay, char decimalSeparator) {
  // The duration in hours, minutes and seconds: whole milliseconds, wrapped at 24 hours,
  // seconds truncated.
  constexpr double kMsPerDay = 86400000.0;
  double ms = std::isfinite(info.Duration) ? std::round(info.Duration * 1000.0) : 0.0;
  ms = std::fmod(ms, kMsPerDay);
  if (ms < 0) ms += kMsPerDay;
  const auto total = static_cast<long long>(ms) / 1000;
  const int hours = static_cast<int>(total / 3600);
  const int minutes = static_cast<int>(total / 60 % 60);
  const int seconds = static_cast<int>(total % 60);

  auto yesNo = [](bool b) { return b ? "Yes" : "No"; };
  std::string text;
  text += "Size : " + std::to_string(info.FileSize) + " bytes\r\n";
  text += "Header found at : " + std::to_string(info.HeaderPos) + " bytes\r\n";
  text += info.Version + " " + info.Layer + "\r\n";
  text += info.Bitrate + " Kbit/s, " + std::to_string(info.SampleRate) + " Hz, " + info.Mode + "\r\n";
  text += "Duration : " + FixedTwoDecimals(info.Duration, decimalSeparator) + "s (" +
          timeOfDay(hours, minutes, seconds) + ")\r\n";
  text += std::string("Protected : ") + yesNo(info.Protected) + "\r\n";
  text += std::string("Copyrighted : ") + yesNo(info.Copyrighted) + "\r\n";
  text += std::string("Original : ") + yesNo(info.Original) + "\r\n";
  text += "Emphasis : " + info.Emphasis + "\r\n";
  return text;
}

}  // namespace sv::tags
