#pragma once
// Writing Ogg pages for a rebuilt header packet: laying a new packet over
// pages, and copying the rest of the stream with its sequence numbers moved
// and its checksums recomputed when the number of pages changed.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/FileAccess.h"
#include "tags/OggPage.h"
#include "tags/Status.h"

namespace sv::tags {

// Lacing values of one packet: size / 255 values of 255, then size % 255
// (a final 0 when the size is a multiple of 255).
std::vector<std::uint8_t> OggPacketLacing(std::size_t size);

// The pages that replace `old` (read with its page bodies): `packet` takes
// the old packet's place, and the segments that followed it on its last
// page follow it unchanged. The old number of pages is kept whenever the new
// segments allow it, so the rest of the stream needs no renumbering; more
// pages are used only when needed, each with at most 255 segments.
std::vector<std::string> LayOutOggPages(const OggPacket& old, std::string_view packet);

// Copies [from, sourceSize) of `source` to `target` at `to`, adding `delta`
// to the sequence number of every page of stream `serial` and recomputing
// its checksum; pages of other streams are copied as they are. Bytes after
// the last page are copied unchanged when no further page could hide in
// them. Malformed when a page to renumber has a wrong checksum (a new one
// would hide the damage) or page data cannot be told apart from junk.
TagStatus CopyOggPagesRenumbered(RandomAccessFile& source, std::uint64_t from, std::uint64_t sourceSize,
                                 std::uint32_t serial, std::uint32_t delta, RandomAccessFile& target,
                                 std::uint64_t to);

}  // namespace sv::tags
