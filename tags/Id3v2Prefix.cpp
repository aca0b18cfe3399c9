#include "tags/Id3v2Prefix.h"

namespace sv::tags {

bool LeadingId3v2Size(RandomAccessFile& file, std::uint64_t fileSize, std::uint64_t& size) {
  size = 0;
  unsigned char h[10];
  std::size_t got = 0;
  if (!file.ReadAt(0, h, sizeof h, got)) return false;
  if (got < sizeof h || h[0] != 'I' || h[1] != 'D' || h[2] != '3') return true;
  if (h[3] < 2 || h[3] > 4) return true;
  std::uint64_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if (h[i] & 0x80) return true;
    body = (body << 7) | h[i];
  }
  std::uint64_t total = body + 10;
  if (h[3] == 4 && (h[5] & 0x10)) total += 10;
  if (total <= fileSize) size = total;
  return true;
}

}  // namespace sv::tags
