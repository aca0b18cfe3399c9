#pragma once
// The length of a chained Ogg Vorbis file: streams that follow each other,
// each restarting its granule positions, each at its own sample rate.
#include <cstdint>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

// Sums the length in seconds of every link found by walking the pages from
// `offset`: the link's last granule position less the position its first
// sample carries, over the link's own rate. A link starts at every first
// page that carries a Vorbis identification header, whether or not it keeps
// the serial of the link before. Only pages whose checksum holds are taken:
// bytes that are no page and pages cut short (whose header claims bytes of
// what follows) are passed over up to the next page that checks, as a
// decoder resynchronises; pages of other streams are passed over too.
TagStatus OggChainSeconds(RandomAccessFile& file, std::uint64_t offset, std::uint64_t size, double& seconds);

// The last page of a file, as its end tells it.
struct OggLastPage {
  std::uint32_t serial = 0;
  std::uint32_t sequence = 0;
  std::uint64_t granule = 0;
};

// Whether a file whose first and last pages share a serial may yet hold
// more than one link: the stream begun again under the same serial (a file
// written twice over itself). Pages of that serial looked up at a few evenly
// spread places must each carry larger sequence numbers and granule
// positions than the one before, none beyond the last page's, and none may
// open a stream. This costs a few pages where the whole walk would read the
// whole file; a link much shorter than the spacing can go unseen.
TagStatus OggSerialRestarts(RandomAccessFile& file, std::uint64_t offset, std::uint64_t size, const OggLastPage& last,
                            bool& restarts);

}  // namespace sv::tags
