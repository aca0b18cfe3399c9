#pragma once
// Where the links of a chained Ogg Vorbis file lie. Every Vorbis stream that
// begins anew starts a link, whether or not it keeps the serial of the one
// before (a file written twice over itself has one serial and two links).
// Only pages whose checksum holds count, so a link cut inside a page ends at
// its last whole page and the walk goes on with the next link.
#include <cstdint>
#include <vector>

#include "sono/core/ByteSource.h"

namespace sono {

struct ByteRange {
  int64_t begin = 0;
  int64_t end = 0;
};

// Reads the whole source from its start. Each range runs from the first
// opening page of a link's group of streams to the next such page; the
// first one from the start of the source and the last one to its end.
// Empty when no Vorbis stream begins in it.
std::vector<ByteRange> FindVorbisLinks(ByteSource& source);

// Whether `links`, found by serial numbers alone, can be trusted: pages
// looked up at a few evenly spread places and the last page must, within
// each link and serial, carry ever larger sequence numbers and granule
// positions, and none but a link's first may open a stream. A stream begun
// again under its serial fails this, and then only the whole walk above
// tells its links. This costs a few pages where the walk reads the whole
// file; a link much shorter than the spacing can go unseen.
bool LinksHoldUp(ByteSource& source, const std::vector<ByteRange>& links);

}  // namespace sono
