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

}  // namespace sono
