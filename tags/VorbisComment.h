#pragma once
// The Vorbis comment packet: 03 "vorbis", the vendor, a count of
// "NAME=value" items, then the framing byte. Items are kept as stored, so a
// rewrite changes only what the caller changed.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/Status.h"

namespace sv::tags {

struct VorbisCommentPacket {
  std::string vendor;               // stored bytes
  std::vector<std::string> items;   // each item's stored bytes, "NAME=value"
  std::string trailer;              // the framing byte and anything after it
};

// Parses a whole comment packet. Every length is checked against the packet,
// and the count cannot claim more items than the bytes left could hold.
// NoTag when the packet is not a comment packet; Malformed when a length
// runs past the packet (the items before it are kept).
TagStatus ParseVorbisComment(std::string_view packet, VorbisCommentPacket& comment);

std::string BuildVorbisComment(const VorbisCommentPacket& comment);

// The comment names shown to callers, in this order.
enum VorbisName { kTitle, kArtist, kAlbum, kTrackNumber, kDate, kGenre, kComment, kPerformer, kDescription };
constexpr int kVorbisNames = 9;
constexpr std::array<const char*, kVorbisNames> kVorbisNameText = {
    "TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT", "PERFORMER", "DESCRIPTION"};

// What a reader shows: the vendor and the last value of each of the nine
// names, each taken from the item's first 250 bytes, trimmed, and cut at the
// first byte that is not valid UTF-8. An item without "=" is the vendor when
// the vendor is still empty.
struct VorbisFields {
  std::string vendor;
  std::array<std::string, kVorbisNames> values;
};
VorbisFields DecodeVorbisFields(const VorbisCommentPacket& comment);

// The upper-cased name of a stored item (before its "="), or "" when none.
std::string VorbisItemName(std::string_view item);

// The longest prefix of `bytes` that is valid UTF-8.
std::string_view ValidUtf8Prefix(std::string_view bytes);

// Replaces every item named `name` by one item "name=value" at the first
// one's place (appended when there was none); an empty value only removes.
void ReplaceVorbisItems(VorbisCommentPacket& comment, std::string_view name, std::string_view value);

}  // namespace sv::tags
