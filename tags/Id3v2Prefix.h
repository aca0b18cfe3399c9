#pragma once
// Size of an ID3v2 tag in front of audio data, for the readers that skip it
// (frame-header scan, Ogg data behind a tag).
#include <cstdint>

#include "tags/FileAccess.h"

namespace sv::tags {

// Header + body (+ footer, honoured only for version 2.4) of an ID3v2 tag
// at offset 0. 0 when there is none, when its version is unknown, when a
// size byte has bit 7 set, or when the tag would end past the file: an
// untrustworthy header must not make a reader skip audio. False only on a
// read error.
bool LeadingId3v2Size(RandomAccessFile& file, std::uint64_t fileSize, std::uint64_t& size);

}  // namespace sv::tags
