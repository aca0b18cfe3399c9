#pragma once
// The length of a chained Ogg Vorbis file: streams that follow each other,
// each restarting its granule positions, each at its own sample rate.
#include <cstdint>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

// Sums the length in seconds of every link found by walking the pages from
// `offset`: the link's last granule position less the position its first
// sample carries, over the link's own rate. A link starts at a first page
// whose checksum holds and that carries a Vorbis identification header;
// pages of other streams are passed over, and the walk ends at the first
// bytes that are not a page (a trailing tag, a cut file).
TagStatus OggChainSeconds(RandomAccessFile& file, std::uint64_t offset, std::uint64_t size, double& seconds);

}  // namespace sv::tags
