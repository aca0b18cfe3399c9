#include "tags/WMAfile.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "base/Ascii.h"
#include "base/Utf.h"
#include "tags/Bytes.h"
#include "tags/TextUtil.h"

namespace sv::tags {
namespace {

using Guid = std::array<unsigned char, 16>;

// A GUID in ASF byte order: the first three groups little-endian.
constexpr Guid MakeGuid(std::uint32_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d, std::uint64_t e) {
  return Guid{static_cast<unsigned char>(a), static_cast<unsigned char>(a >> 8),
              static_cast<unsigned char>(a >> 16), static_cast<unsigned char>(a >> 24),
              static_cast<unsigned char>(b), static_cast<unsigned char>(b >> 8),
              static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
              static_cast<unsigned char>(d >> 8), static_cast<unsigned char>(d),
              static_cast<unsigned char>(e >> 40), static_cast<unsigned char>(e >> 32),
              static_cast<unsigned char>(e >> 24), static_cast<unsigned char>(e >> 16),
              static_cast<unsigned char>(e >> 8), static_cast<unsigned char>(e)};
}

constexpr Guid kHeader = MakeGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D9, 0x00AA0062CE6C);
constexpr Guid kFileProperties = MakeGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE4, 0x00C00C205365);
constexpr Guid kStreamProperties = MakeGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE6, 0x00C00C205365);
constexpr Guid kContentDescription = MakeGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D9, 0x00AA0062CE6C);
constexpr Guid kExtendedContentDescription = MakeGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F0, 0x00A0C95EA850);
constexpr Guid kAudioMedia = MakeGuid(0xF8699E40, 0x5B4D, 0x11CF, 0xA8FD, 0x00805F5C442B);
static_assert(kHeader[0] == 0x30 && kHeader[3] == 0x75 && kHeader[4] == 0x8E && kHeader[8] == 0xA6 &&
              kHeader[15] == 0x6C);

bool IsGuid(const char* p, const Guid& g) { return std::memcmp(p, g.data(), g.size()) == 0; }

constexpr std::size_t kObjectHeader = 24;  // GUID + 64-bit size
// The highest bit rate taken as real: several times that of a lossless
// 24-bit 96 kHz stereo stream.
constexpr std::uint32_t kMaxBitRate = 20'000'000;
constexpr std::size_t kMaxUnits = 250;     // longest text kept, in UTF-16 units

// Positional reads of the header through one cache, so a typical header
// costs a single read from the file.
class HeaderReader {
 public:
  HeaderReader(RandomAccessFile& file, std::uint64_t fileSize) : file_(file), size_(fileSize) {}

  // False when the bytes are not all in the file or the read fails.
  bool Fetch(std::uint64_t pos, std::size_t count, char* out) {
    if (pos > size_ || count > size_ - pos) return false;
    while (count > 0) {
      if (pos < start_ || pos >= start_ + cache_.size()) {
        cache_.resize(kChunk);
        std::size_t got = 0;
        if (!file_.ReadAt(pos, cache_.data(), kChunk, got) || got == 0) {
          error_ = true;
          cache_.clear();
          return false;
        }
        cache_.resize(got);
        start_ = pos;
      }
      const std::size_t offset = static_cast<std::size_t>(pos - start_);
      const std::size_t n = std::min(count, cache_.size() - offset);
      std::memcpy(out, cache_.data() + offset, n);
      out += n;
      pos += n;
      count -= n;
    }
    return true;
  }
  bool error() const { return error_; }

 private:
  static constexpr std::size_t kChunk = 64 * 1024;
  RandomAccessFile& file_;
  std::uint64_t size_;
  std::vector<char> cache_;
  std::uint64_t start_ = 0;
  bool error_ = false;
};

// Sequential reads inside one object; a read past the object's end fails and
// leaves the object, so a bad length never reads the next object as text.
class ObjectCursor {
 public:
  ObjectCursor(HeaderReader& reader, std::uint64_t pos, std::uint64_t end) : r_(reader), pos_(pos), end_(end) {}

  std::uint64_t Remaining() const { return end_ - pos_; }
  bool Skip(std::uint64_t n) {
    if (n > Remaining()) return false;
    pos_ += n;
    return true;
  }
  bool Bytes(std::size_t n, char* out) {
    if (n > Remaining() || !r_.Fetch(pos_, n, out)) return false;
    pos_ += n;
    return true;
  }
  bool U16(std::uint16_t& v) {
    char b[2];
    if (!Bytes(2, b)) return false;
    v = LoadLE16(b);
    return true;
  }
  bool U32(std::uint32_t& v) {
    char b[4];
    if (!Bytes(4, b)) return false;
    v = LoadLE32(b);
    return true;
  }
  // A UTF-16LE text of `length` bytes: its first 250 units are kept as
  // UTF-8 and the rest is skipped.
  bool Text(std::uint16_t length, std::string& utf8) {
    if (length > Remaining()) return false;
    std::size_t keep = std::min<std::size_t>(length, kMaxUnits * 2) & ~std::size_t{1};
    std::string raw(keep, '\0');
    if (!Bytes(keep, raw.data())) return false;
    pos_ += length - keep;
    // A cut between the halves of a surrogate pair drops the lone half.
    if (keep < length && keep >= 2) {
      const unsigned last = static_cast<unsigned char>(raw[keep - 1]);
      if (last >= 0xD8 && last <= 0xDB) raw.resize(keep - 2);
    }
    utf8 = Utf16LEBytesToUtf8(raw);
    return true;
  }

 private:
  HeaderReader& r_;
  std::uint64_t pos_;
  std::uint64_t end_;
};

// What one walk of the header found.
struct FileData {
  std::uint32_t maxBitRate = 0;
  // From the file properties: 100-ns units and milliseconds; the play
  // duration is meaningless in a broadcast file.
  std::uint64_t playDuration = 0;
  std::uint64_t preroll = 0;
  bool broadcast = false;
  std::uint16_t channels = 0;
  std::uint32_t sampleRate = 0;
  std::uint32_t byteRate = 0;
  std::string title, artist, album, track, year, genre, comment;
  // The one-based track number, preferred over the old zero-based WM/Track
  // when it holds a number.
  bool haveTrackNumber = false;
  std::uint32_t trackNumber = 0;
};

void ReadContentDescription(ObjectCursor c, FileData& d) {
  std::uint16_t len[5];
  for (auto& l : len)
    if (!c.U16(l)) return;
  std::string* targets[5] = {&d.title, &d.artist, nullptr, &d.comment, nullptr};
  for (int i = 0; i < 5; ++i) {
    std::string text;
    if (!c.Text(len[i], text)) return;
    if (targets[i]) *targets[i] = std::move(text);
  }
}

void ReadExtendedContentDescription(ObjectCursor c, FileData& d) {
  std::uint16_t count = 0;
  if (!c.U16(count)) return;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint16_t nameLength = 0, type = 0, valueLength = 0;
    std::string name;
    if (!c.U16(nameLength) || !c.Text(nameLength, name) || !c.U16(type) || !c.U16(valueLength)) return;
    const std::string key = AsciiUpper(Trim(name));
    if (key == "WM/TRACKNUMBER" && (type == 3 || type == 5) && valueLength == (type == 3 ? 4 : 2)) {
      char b[4];
      if (!c.Bytes(valueLength, b)) return;
      d.trackNumber = type == 3 ? LoadLE32(b) : LoadLE16(b);
      d.haveTrackNumber = d.trackNumber != 0;
      continue;
    }
    if (type != 0) {
      if (!c.Skip(valueLength)) return;
      continue;
    }
    std::string value;
    if (!c.Text(valueLength, value)) return;
    if (key == "WM/TRACKNUMBER") {
      d.trackNumber = ParseDecimal(value);
      d.haveTrackNumber = d.trackNumber != 0;
    }
    static const std::pair<const char*, std::string FileData::*> kNames[] = {
        {"WM/TITLE", &FileData::title}, {"WM/AUTHOR", &FileData::artist},   {"WM/ALBUMTITLE", &FileData::album},
        {"WM/TRACK", &FileData::track}, {"WM/YEAR", &FileData::year},       {"WM/GENRE", &FileData::genre},
        {"WM/DESCRIPTION", &FileData::comment}};
    for (const auto& [n, field] : kNames)
      if (key == n) d.*field = value;
  }
}

void ReadObject(const char* head, ObjectCursor c, std::uint64_t size, FileData& d) {
  if (IsGuid(head, kFileProperties)) {
    char fixed[80];  // object offsets 24 to 103
    if (size < 104 || !c.Bytes(sizeof fixed, fixed)) return;
    d.playDuration = LoadLE64(fixed + 64 - kObjectHeader);
    d.preroll = LoadLE64(fixed + 80 - kObjectHeader);
    d.broadcast = (LoadLE32(fixed + 88 - kObjectHeader) & 1) != 0;
    d.maxBitRate = LoadLE32(fixed + 100 - kObjectHeader);
  } else if (IsGuid(head, kStreamProperties)) {
    char type[16];
    if (size < 90 || !c.Bytes(16, type) || !IsGuid(type, kAudioMedia)) return;
    std::uint16_t channels = 0;
    std::uint32_t rate = 0, byteRate = 0;
    if (c.Skip(80 - kObjectHeader - 16) && c.U16(channels) && c.U32(rate) && c.U32(byteRate)) {
      d.channels = channels;
      d.sampleRate = rate;
      d.byteRate = byteRate;
    }
  } else if (IsGuid(head, kContentDescription)) {
    ReadContentDescription(c, d);
  } else if (IsGuid(head, kExtendedContentDescription)) {
    ReadExtendedContentDescription(c, d);
  }
}

// Walks the header object; the result is the file's status before the range
// checks.
TagStatus WalkHeader(RandomAccessFile& file, std::uint64_t fileSize, FileData& d) {
  HeaderReader reader(file, fileSize);
  char top[30];
  // A file too short for the header's identifier is read past its end.
  if (fileSize < 16) return TagStatus::Malformed;
  if (!reader.Fetch(0, 16, top)) return reader.error() ? TagStatus::IoError : TagStatus::NoTag;
  if (!IsGuid(top, kHeader)) return TagStatus::NoTag;
  if (!reader.Fetch(16, 14, top + 16)) return reader.error() ? TagStatus::IoError : TagStatus::Malformed;
  const std::uint64_t headerEnd = LoadLE64(top + 16);
  const std::uint32_t count = LoadLE32(top + 24);

  // Each object must advance the walk and stay inside the header object;
  // one that does not ends the walk, which judges what it has read.
  std::uint64_t pos = sizeof top;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (pos > headerEnd || headerEnd - pos < kObjectHeader) break;
    char head[kObjectHeader];
    if (!reader.Fetch(pos, kObjectHeader, head)) return reader.error() ? TagStatus::IoError : TagStatus::Malformed;
    const std::uint64_t size = LoadLE64(head + 16);
    if (size < kObjectHeader || size > headerEnd - pos) break;
    if (size > fileSize - pos) return TagStatus::Malformed;
    ReadObject(head, ObjectCursor(reader, pos + kObjectHeader, pos + size), size, d);
    if (reader.error()) return TagStatus::IoError;
    pos += size;
  }
  return TagStatus::Ok;
}

}  // namespace

void TWMAfile::ResetData() {
  Valid = false;
  FileSize = 0;
  Channels = SampleRate = BitRate = Track = 0;
  Duration = 0;
  Title.clear();
  Artist.clear();
  Album.clear();
  Year.clear();
  Genre.clear();
  Comment.clear();
}

bool TWMAfile::ReadFromFile(const std::string& path) {
  ResetData();
  SizedFile opened;
  status_ = OpenSized(fs_, path, opened);
  if (status_ != TagStatus::Ok) return false;
  FileData d;
  status_ = WalkHeader(*opened.file, opened.size, d);
  if (status_ != TagStatus::Ok) return status_ == TagStatus::NoTag;

  // The bounds only keep out absurd values: lossless and high-rate streams
  // run well above 320 kbit/s.
  const bool inRange = d.maxBitRate > 0 && d.maxBitRate <= kMaxBitRate && (d.channels == 1 || d.channels == 2) &&
                       d.sampleRate >= 8000 && d.sampleRate <= 96000 && d.byteRate > 0 &&
                       d.byteRate <= kMaxBitRate / 8;
  if (!inRange) {
    status_ = TagStatus::NoTag;
    return true;
  }
  Valid = true;
  FileSize = opened.size;
  Channels = d.channels;
  SampleRate = d.sampleRate;
  // The play duration counts the preroll, which is not heard; without it
  // (a broadcast file, or none given) the size over the maximum bit rate
  // is the estimate.
  const double played = static_cast<double>(d.playDuration) / 1e7 - static_cast<double>(d.preroll) / 1e3;
  Duration = !d.broadcast && played > 0 ? played : static_cast<double>(opened.size) * 8.0 / d.maxBitRate;
  BitRate = d.byteRate * 8 / 1000;
  Title = Trim(d.title);
  Artist = Trim(d.artist);
  Album = Trim(d.album);
  Year = Trim(d.year);
  Genre = Trim(d.genre);
  Comment = Trim(d.comment);
  constexpr std::uint32_t kMaxTrack = 65535;
  Track = d.haveTrackNumber ? (d.trackNumber <= kMaxTrack ? d.trackNumber : 0) : ParseDecimal(d.track, kMaxTrack);
  return true;
}

}  // namespace sv::tags
