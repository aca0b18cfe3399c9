#pragma once
// Recognises MPEG audio by its frame headers, for choosing a decoder.
#include <cstddef>
#include <cstdint>

namespace sono {

// Frame length in bytes of the 4-byte header at p, or 0 when it is not a
// valid layer I-III header with a known bit rate.
size_t MpegFrameLength(const uint8_t* p);

// Offset of the first MPEG audio frame in data (after an ID3v2 tag): the
// first of framesInARow frames in a row with the same version, layer and
// sample rate, or, when data is complete (not the start of a longer
// stream), of the frames that make up all of a shorter data; the end of the
// tag when it runs past the data. -1 when there is none.
// A lone header turns up by chance every few kilobytes of other data, and
// even two in a row now and then; three in a row that agree seldom do, and
// more are needed the further one looks.
int64_t FindMpegAudio(const uint8_t* data, size_t size, int framesInARow = 3, bool complete = true);

}  // namespace sono
