#pragma once
// The ID3v2 frames this library models, and the rules that turn their data
// into field values. Shared by the reader and the writer so both pick the
// same frame when several could feed a field.
#include <cstdint>
#include <string>
#include <string_view>

namespace sv::tags::id3 {

// Entries of the frame table, in its order.
enum Entry : int {
  kTitle, kArtist, kAlbum, kTrack, kYear, kGenre, kComment, kComposer, kEncoder, kCopyright,
  kLanguage, kLink, kRecordingTime, kOriginalArtist, kContentGroup, kOriginalAlbum, kSizeText,
  kPicture, kEntryCount
};

// The entry a frame ID feeds in a tag of `version`, or -1.
int EntryOf(std::string_view id, std::uint8_t version);
// The version 3 ID of an entry.
std::string_view IdOf(int entry);
// Frame data (encoding byte first) of a text frame, decoded and trimmed.
// Text after a NUL (further values) is not part of it.
std::string TextValue(std::string_view data);
// A comment (COMM/COM) or user link (WXXX/WXX): its description and value.
struct Described {
  std::string language;     // 3 bytes, comments only
  std::string description;  // decoded
  std::string value;        // decoded and trimmed
};
bool ParseComment(std::string_view data, Described& out);
bool ParseLink(std::string_view data, Described& out);

// An attached picture (APIC, or PIC in version 2).
struct PictureFrame {
  bool jpeg = false;    // JPEG by its MIME type (or format) and by its first bytes
  std::uint8_t type = 0;
  std::size_t dataOffset = 0;  // of the image bytes within the frame data
};
bool ParsePicture(std::string_view data, std::uint8_t version, PictureFrame& out);
constexpr std::uint8_t kFrontCover = 3;

// TRCK: the number before "/" (0 when not a number or above 65535).
std::uint16_t TrackNumber(std::string_view text);
// TCON: leading "(n)" references resolved, "Rock (live)" kept whole.
std::string GenreText(std::string_view text);

}  // namespace sv::tags::id3
