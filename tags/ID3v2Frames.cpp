#include "tags/ID3v2Frames.h"

#include <algorithm>
#include <cstring>

#include "base/Utf.h"
#include "tags/AnsiCodec.h"
#include "tags/Bytes.h"

namespace sv::tags::id3 {
namespace {

constexpr std::size_t kReadAhead = 8192;

// Frame format flags.
constexpr std::uint8_t kV3Compressed = 0x80;
constexpr std::uint8_t kV3Encrypted = 0x40;
constexpr std::uint8_t kV3Grouping = 0x20;
constexpr std::uint8_t kV4Grouping = 0x40;
constexpr std::uint8_t kV4Compressed = 0x08;
constexpr std::uint8_t kV4Encrypted = 0x04;
constexpr std::uint8_t kV4Unsynchronised = 0x02;
constexpr std::uint8_t kV4DataLength = 0x01;

// An upper-case letter, then upper-case letters or digits.
bool IsFrameId(std::string_view id) {
  const auto idChar = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); };
  return !id.empty() && id[0] >= 'A' && id[0] <= 'Z' && std::all_of(id.begin(), id.end(), idChar);
}

bool SyncSafeBytes(const char* p) {
  return ((p[0] | p[1] | p[2] | p[3]) & 0x80) == 0;
}

void AppendUtf16LE(std::string& out, std::string_view utf8) {
  for (const char16_t u : Utf8ToUtf16(utf8)) AppendLE16(out, u);
}

}  // namespace

bool ParseHeader(const char* bytes, TagHeader& header) {
  if (std::memcmp(bytes, "ID3", 3) != 0) return false;
  header.version = static_cast<std::uint8_t>(bytes[3]);
  header.revision = static_cast<std::uint8_t>(bytes[4]);
  header.flags = static_cast<std::uint8_t>(bytes[5]);
  header.sizeValid = SyncSafeBytes(bytes + 6);
  header.body = DecodeSyncSafe(bytes + 6);
  return true;
}

std::uint32_t DecodeSyncSafe(const char* p) {
  return (Byte(p, 0) & 0x7F) << 21 | (Byte(p, 1) & 0x7F) << 14 | (Byte(p, 2) & 0x7F) << 7 |
         (Byte(p, 3) & 0x7F);
}

void AppendSyncSafe(std::string& out, std::uint32_t value) {
  out += static_cast<char>((value >> 21) & 0x7F);
  out += static_cast<char>((value >> 14) & 0x7F);
  out += static_cast<char>((value >> 7) & 0x7F);
  out += static_cast<char>(value & 0x7F);
}

std::string Resynchronise(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += bytes[i];
    if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0) ++i;
  }
  return out;
}

TagSource::TagSource(RandomAccessFile& file, std::uint64_t end) : file_(&file), end_(end) {}

TagSource::TagSource(std::string bytes) : end_(bytes.size()), cache_(std::move(bytes)) {}

bool TagSource::Read(std::uint64_t offset, std::size_t count, std::string& out) {
  out.clear();
  if (offset >= end_) return true;
  count = static_cast<std::size_t>(std::min<std::uint64_t>(count, end_ - offset));
  if (offset >= cacheAt_ && offset - cacheAt_ + count <= cache_.size()) {
    out.assign(cache_, static_cast<std::size_t>(offset - cacheAt_), count);
    return true;
  }
  if (!file_) return true;
  if (count > kReadAhead) return ReadUpTo(*file_, offset, count, out);
  const auto ahead = static_cast<std::size_t>(std::min<std::uint64_t>(kReadAhead, end_ - offset));
  if (!ReadUpTo(*file_, offset, ahead, cache_)) {
    cache_.clear();
    return false;
  }
  cacheAt_ = offset;
  out.assign(cache_, 0, std::min(count, cache_.size()));
  return true;
}

TagStatus OpenFrameArea(RandomAccessFile& file, std::uint64_t fileSize, const TagHeader& header, FrameArea& area) {
  if (!header.KnownVersion()) return TagStatus::Unsupported;
  if (!header.sizeValid) return TagStatus::Malformed;
  if (header.version == 2 && (header.flags & kCompressedV22)) return TagStatus::Unsupported;
  const std::uint64_t end = std::min<std::uint64_t>(kHeaderSize + header.body, fileSize);
  if (header.version < 4 && (header.flags & kUnsynchronised)) {
    if (end > kMaxTagInMemory) return TagStatus::Unsupported;
    std::string tag;
    if (!ReadUpTo(file, 0, static_cast<std::size_t>(end), tag)) return TagStatus::IoError;
    area.source = std::make_unique<TagSource>(tag.substr(0, kHeaderSize) +
                                              Resynchronise(std::string_view(tag).substr(kHeaderSize)));
  } else {
    area.source = std::make_unique<TagSource>(file, end);
  }
  area.begin = kHeaderSize;
  area.end = area.source->End();
  if (header.version > 2 && (header.flags & kExtendedHeader)) {
    std::string ext;
    if (!area.source->Read(kHeaderSize, 4, ext)) return TagStatus::IoError;
    if (ext.size() < 4 || IsFrameId(ext)) return TagStatus::Ok;  // no room for one, or no header
    // Version 3 counts the size without its own 4 bytes, version 4 with.
    const std::uint64_t extSize =
        header.version == 3 ? 4ull + LoadBE32(ext.data()) : DecodeSyncSafe(ext.data());
    if (extSize >= 4 && extSize <= area.end - area.begin) area.begin += extSize;
  }
  return TagStatus::Ok;
}

namespace {

// What a frame walk finds at a position.
enum class Landing { Frame, Padding, End, Neither, ReadError };

// What stands at `pos`: the end of the frames, padding (zero bytes, as many
// as `zeros` asks or up to the end), a frame header whose size fits, or
// neither.
Landing LandsAt(TagSource& source, std::uint64_t pos, std::uint64_t end, std::uint8_t version,
                std::uint64_t zeros) {
  if (pos == end) return Landing::End;
  const std::size_t headerSize = version == 2 ? 6 : 10;
  std::string h;
  if (!source.Read(pos, static_cast<std::size_t>(std::min<std::uint64_t>(headerSize, end - pos)), h))
    return Landing::ReadError;
  if (h.find_first_not_of('\0') == std::string::npos) {
    std::string more;
    for (std::uint64_t at = pos + h.size(); at < end && at - pos < zeros; at += more.size()) {
      if (!source.Read(at, static_cast<std::size_t>(std::min<std::uint64_t>(kReadAhead, end - at)), more))
        return Landing::ReadError;
      if (more.empty()) break;
      if (more.find_first_not_of('\0') != std::string::npos) return Landing::Neither;
    }
    return Landing::Padding;
  }
  if (h.size() < headerSize || !IsFrameId(std::string_view(h).substr(0, version == 2 ? 3 : 4)))
    return Landing::Neither;
  std::uint64_t size = version == 2 ? LoadBE24(h.data() + 3) : LoadBE32(h.data() + 4);
  if (version == 4 && SyncSafeBytes(h.data() + 4)) size = std::min<std::uint64_t>(size, DecodeSyncSafe(h.data() + 4));
  return size <= end - pos - headerSize ? Landing::Frame : Landing::Neither;
}

}  // namespace

WalkEnd WalkFrames(FrameArea& area, std::uint8_t version,
                   const std::function<std::size_t(const Frame&)>& want,
                   const std::function<void(Frame&)>& visit) {
  const std::uint32_t headerSize = version == 2 ? 6 : 10;
  const std::size_t idSize = version == 2 ? 3 : 4;
  TagSource& source = *area.source;
  std::uint64_t pos = area.begin;
  std::string h;
  while (area.end > pos) {
    // Zero bytes (up to a header's length) end the frames cleanly.
    const Landing here = LandsAt(source, pos, area.end, version, headerSize);
    if (here == Landing::ReadError) return WalkEnd::ReadError;
    if (here == Landing::Padding) return WalkEnd::Complete;
    if (!source.Read(pos, headerSize, h)) return WalkEnd::ReadError;
    if (h.size() < headerSize || h[0] < 'A' || h[0] > 'Z') return WalkEnd::Stopped;
    Frame frame;
    frame.id = h.substr(0, idSize);
    frame.offset = pos;
    frame.headerSize = headerSize;
    const std::uint64_t room = area.end - pos - headerSize;
    if (version == 2) {
      frame.size = LoadBE24(h.data() + 3);
    } else {
      frame.size = LoadBE32(h.data() + 4);
      frame.statusFlags = static_cast<std::uint8_t>(h[8]);
      frame.formatFlags = static_cast<std::uint8_t>(h[9]);
    }
    if (version == 4 && SyncSafeBytes(h.data() + 4)) {
      // Other writers often store plain sizes in version 2.4: the plain
      // reading is taken when the sync-safe one leads nowhere and it does.
      // Zeros inside a picture are not padding: it must run on (to the end
      // or for a long stretch).
      const std::uint64_t syncSafe = DecodeSyncSafe(h.data() + 4);
      if (syncSafe != frame.size) {
        constexpr std::uint64_t kPaddingProof = 64 * 1024;
        const auto landing = [&](std::uint64_t size) {
          return size > room ? Landing::Neither
                             : LandsAt(source, pos + headerSize + size, area.end, version, kPaddingProof);
        };
        const Landing bySyncSafe = landing(syncSafe);
        if (bySyncSafe == Landing::ReadError) return WalkEnd::ReadError;
        if (bySyncSafe == Landing::Neither) {
          const Landing byPlain = landing(frame.size);
          if (byPlain == Landing::ReadError) return WalkEnd::ReadError;
          if (byPlain == Landing::Neither) frame.size = syncSafe;
        } else {
          frame.size = syncSafe;
        }
      }
    }
    if (frame.size > room) return WalkEnd::Stopped;
    const std::size_t n =
        static_cast<std::size_t>(std::min<std::uint64_t>(want(frame), frame.size));
    if (n > 0 && !source.Read(pos + headerSize, n, frame.payload)) return WalkEnd::ReadError;
    visit(frame);
    pos += headerSize + frame.size;
  }
  return WalkEnd::Complete;
}

bool FrameData(const Frame& frame, std::uint8_t version, bool tagUnsync, std::string& data) {
  std::string_view p = frame.payload;
  const std::uint8_t f = frame.formatFlags;
  data.clear();
  if (version == 3) {
    if (f & (kV3Compressed | kV3Encrypted)) return false;
    if (f & kV3Grouping) p.remove_prefix(std::min<std::size_t>(1, p.size()));
    data.assign(p);
  } else if (version == 4) {
    if (f & (kV4Compressed | kV4Encrypted)) return false;
    if (f & kV4Grouping) p.remove_prefix(std::min<std::size_t>(1, p.size()));
    if (f & kV4DataLength) p.remove_prefix(std::min<std::size_t>(4, p.size()));
    data = (tagUnsync || (f & kV4Unsynchronised)) ? Resynchronise(p) : std::string(p);
  } else {
    data.assign(p);
  }
  return true;
}

std::size_t SkipString(std::uint8_t encoding, std::string_view bytes, std::size_t pos) {
  if (pos >= bytes.size()) return bytes.size();
  if (encoding == 1 || encoding == 2) {
    for (std::size_t i = pos; i + 1 < bytes.size(); i += 2)
      if (bytes[i] == 0 && bytes[i + 1] == 0) return i + 2;
    return bytes.size();
  }
  const std::size_t nul = bytes.find('\0', pos);
  return nul == std::string_view::npos ? bytes.size() : nul + 1;
}

std::string DecodeString(std::uint8_t encoding, std::string_view bytes) {
  const std::size_t end = SkipString(encoding, bytes, 0);
  std::string_view s = bytes.substr(0, end);
  if (encoding == 1 || encoding == 2) {
    if (s.size() >= 2 && s.substr(s.size() - 2) == std::string_view("\0\0", 2)) s.remove_suffix(2);
    bool bigEndian = encoding == 2;
    if (s.size() >= 2) {
      const auto b0 = static_cast<unsigned char>(s[0]), b1 = static_cast<unsigned char>(s[1]);
      if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF)) {
        bigEndian = b0 == 0xFE;
        s.remove_prefix(2);
      }
    }
    return bigEndian ? Utf16BEBytesToUtf8(s) : Utf16LEBytesToUtf8(s);
  }
  if (!s.empty() && s.back() == '\0') s.remove_suffix(1);
  if (encoding == 3 && IsValidUtf8(s)) return std::string(s);
  return Id3Latin1ToUtf8(s);
}

std::uint8_t ChooseEncoding(std::string_view utf8) {
  bool fits = false;
  Utf8ToLatin1(utf8, &fits);
  // U+0080-U+009F would be written as the bytes readers take for ANSI text.
  for (const char16_t u : Utf8ToUtf16(utf8))
    if (u >= 0x80 && u <= 0x9F) fits = false;
  return fits ? 0 : 1;
}

std::string EncodeString(std::uint8_t encoding, std::string_view utf8, bool terminate) {
  std::string out;
  if (encoding == 1) {
    out += "\xFF\xFE";
    AppendUtf16LE(out, utf8);
    if (terminate) out.append(2, '\0');
  } else {
    out = Utf8ToLatin1(utf8);
    if (terminate) out += '\0';
  }
  return out;
}

}  // namespace sv::tags::id3
