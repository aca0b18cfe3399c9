#pragma once
// The ID3v2 byte level shared by the reader and the writer: the tag header,
// a bounded walk over the frames, the frame encodings (unsynchronisation,
// grouping, data-length indicator) and the four text encodings.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags::id3 {

constexpr std::size_t kHeaderSize = 10;
// A tag whose frames must be read into memory (unsynchronised, or frames
// converted on save) is refused beyond this size.
constexpr std::uint64_t kMaxTagInMemory = 16u << 20;
// The largest tag a header can describe.
constexpr std::uint64_t kMaxBody = (1u << 28) - 1;

// Header flags.
constexpr std::uint8_t kUnsynchronised = 0x80;
constexpr std::uint8_t kExtendedHeader = 0x40;
constexpr std::uint8_t kFooter = 0x10;
constexpr std::uint8_t kCompressedV22 = 0x40;

struct TagHeader {
  std::uint8_t version = 0;
  std::uint8_t revision = 0;
  std::uint8_t flags = 0;
  bool sizeValid = false;  // no size byte has its top bit set
  std::uint32_t body = 0;  // bytes after the header, footer excluded
  // Header + body + footer (footer honoured for version 4 only).
  std::uint64_t Total() const { return kHeaderSize + body + ((version == 4 && (flags & kFooter)) ? 10 : 0); }
  bool KnownVersion() const { return version >= 2 && version <= 4; }
};

// Parses the first 10 bytes of a file; false when they are not "ID3".
bool ParseHeader(const char* bytes, TagHeader& header);

std::uint32_t DecodeSyncSafe(const char* p);
void AppendSyncSafe(std::string& out, std::uint32_t value);
// Undoes unsynchronisation: every FF 00 becomes FF.
std::string Resynchronise(std::string_view bytes);

// The bytes of a tag for the frame walk: the file itself through a small
// read-ahead cache (one system call serves a typical tag), or a tag held in
// memory after undoing whole-tag unsynchronisation.
class TagSource {
 public:
  TagSource(RandomAccessFile& file, std::uint64_t end);
  explicit TagSource(std::string bytes);
  // Up to `count` bytes at tag offset `offset`, fewer only at the end.
  bool Read(std::uint64_t offset, std::size_t count, std::string& out);
  std::uint64_t End() const { return end_; }
  bool InMemory() const { return file_ == nullptr; }

 private:
  RandomAccessFile* file_ = nullptr;
  std::uint64_t end_ = 0;
  std::string cache_;  // the whole tag when in memory
  std::uint64_t cacheAt_ = 0;
};

// Opens the tag for walking: undoes whole-tag unsynchronisation for
// versions 2 and 3, and finds where the frames start (after an extended
// header) and end. Some writers set the extended-header flag with no such
// header: when a frame ID stands where its size would, or that size does not
// fit the tag, the frames start right after the tag header. A tag that runs
// past the end of the file ends there. Malformed for sizes with a top bit
// set; Unsupported for an unknown version, a compressed version 2 tag or an
// unsynchronised tag above kMaxTagInMemory; IoError on a read error.
struct FrameArea {
  std::unique_ptr<TagSource> source;
  std::uint64_t begin = 0;
  std::uint64_t end = 0;
};
TagStatus OpenFrameArea(RandomAccessFile& file, std::uint64_t fileSize, const TagHeader& header, FrameArea& area);

struct Frame {
  std::string id;                 // 3 characters (version 2) or 4
  std::uint8_t statusFlags = 0;   // first flag byte as stored (0 for version 2)
  std::uint8_t formatFlags = 0;   // second flag byte as stored (0 for version 2)
  std::uint64_t offset = 0;       // of the frame header, in the tag source
  std::uint32_t headerSize = 0;   // 6 or 10
  std::uint64_t size = 0;         // stored payload size
  std::string payload;            // the first bytes of the stored payload, as asked
  bool Complete() const { return payload.size() == size; }
};

// How a frame walk ended.
enum class WalkEnd {
  Complete,   // at the end of the frames or at padding (zero bytes)
  Stopped,    // at bytes that are not a frame, or a frame running past the end
  ReadError,
};

// Walks the frames of `area`. `want(frame)` (id, flags and size filled)
// returns how many payload bytes to read. `visit` receives each frame. A
// version 2.4 size is read sync-safe, or as a plain number when only that
// reading leads to a frame, padding or the end (as other writers store it).
WalkEnd WalkFrames(FrameArea& area, std::uint8_t version,
                   const std::function<std::size_t(const Frame&)>& want,
                   const std::function<void(Frame&)>& visit);

// The frame's data with per-frame encodings undone (version 4
// unsynchronisation, grouping byte, data-length indicator; version 3
// grouping byte). False for compressed or encrypted frames. `tagUnsync` is
// the header's unsynchronisation flag, which in version 4 applies per
// frame.
bool FrameData(const Frame& frame, std::uint8_t version, bool tagUnsync, std::string& data);

// Text encodings: 0 ISO-8859-1 (bytes 0x80-0x9F read as ANSI, AnsiCodec.h),
// 1 UTF-16 with BOM, 2 UTF-16BE, 3 UTF-8 (read as 0 when not valid).
// Index just past the string at `pos` and its terminator (the end when
// unterminated).
std::size_t SkipString(std::uint8_t encoding, std::string_view bytes, std::size_t pos);
// The string at the start of `bytes` up to its terminator, as UTF-8. A
// leading byte-order mark is dropped; UTF-16 without one is little-endian.
std::string DecodeString(std::uint8_t encoding, std::string_view bytes);
// Encoding 0 when every character fits ISO-8859-1 outside U+0080-U+009F,
// else 1.
std::uint8_t ChooseEncoding(std::string_view utf8);
// `utf8` in `encoding` (0 or 1; a BOM for 1), with a terminator when asked.
std::string EncodeString(std::uint8_t encoding, std::string_view utf8, bool terminate);

}  // namespace sv::tags::id3
