#include "tags/OggPageWriter.h"

#include <algorithm>

namespace sv::tags {
namespace {

// Copies bytes that follow the last page (another tag, padding). They must
// hold no capture pattern: a page there would keep its old sequence number.
TagStatus CopyTrailingBytes(RandomAccessFile& source, std::uint64_t from, std::uint64_t size,
                            RandomAccessFile& target, std::uint64_t to) {
  constexpr std::size_t kChunk = 64 * 1024;
  std::string carry;
  std::string chunk;
  while (from < size) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - from));
    if (!ReadUpTo(source, from, n, chunk) || chunk.size() != n) return TagStatus::IoError;
    if ((carry + chunk).find("OggS") != std::string::npos) return TagStatus::Malformed;
    if (!target.WriteAt(to, chunk.data(), n)) return TagStatus::IoError;
    carry = chunk.substr(n >= 3 ? n - 3 : 0);
    from += n;
    to += n;
  }
  return TagStatus::Ok;
}

}  // namespace

std::vector<std::uint8_t> OggPacketLacing(std::size_t size) {
  std::vector<std::uint8_t> lacing(size / 255, 255);
  lacing.push_back(static_cast<std::uint8_t>(size % 255));
  return lacing;
}

std::vector<std::string> LayOutOggPages(const OggPacket& old, std::string_view packet) {
  const OggPage& first = old.pages.front();
  const OggPage& last = old.pages.back();
  const std::string& lastBody = old.bodies.back();
  std::size_t packetOnLast = 0;
  for (std::size_t i = 0; i < old.endSegment; ++i) packetOnLast += last.lacing[i];

  std::vector<std::uint8_t> lacing = OggPacketLacing(packet.size());
  lacing.insert(lacing.end(), last.lacing.begin() + static_cast<std::ptrdiff_t>(old.endSegment), last.lacing.end());
  std::string data(packet);
  data.append(lastBody, packetOnLast);

  const std::size_t fewest = (lacing.size() + kOggMaxSegments - 1) / kOggMaxSegments;
  const std::size_t count = std::max(fewest, std::min(old.pages.size(), lacing.size()));
  std::vector<std::string> pages;
  std::size_t segment = 0, offset = 0;
  for (std::size_t p = 0; p < count; ++p) {
    // Leave at least one segment for each page still to come.
    const std::size_t take = std::min(kOggMaxSegments, lacing.size() - segment - (count - p - 1));
    OggPage page;
    page.serial = first.serial;
    page.sequence = static_cast<std::uint32_t>(first.sequence + p);
    page.lacing.assign(lacing.begin() + static_cast<std::ptrdiff_t>(segment),
                       lacing.begin() + static_cast<std::ptrdiff_t>(segment + take));
    if (p > 0 && lacing[segment - 1] == 255) page.flags |= kOggContinued;
    if (p + 1 == count) page.flags |= last.flags & kOggLastPage;
    // A page on which no packet ends has no granule position.
    const bool packetEnds = std::any_of(page.lacing.begin(), page.lacing.end(), [](auto v) { return v < 255; });
    page.granule = packetEnds ? last.granule : kOggNoGranule;
    const auto bodySize = static_cast<std::size_t>(page.BodySize());
    pages.push_back(BuildOggPage(page, std::string_view(data).substr(offset, bodySize)));
    segment += take;
    offset += bodySize;
  }
  return pages;
}

TagStatus CopyOggPagesRenumbered(RandomAccessFile& source, std::uint64_t from, std::uint64_t sourceSize,
                                 std::uint32_t serial, std::uint32_t delta, RandomAccessFile& target,
                                 std::uint64_t to) {
  std::uint64_t pos = from;
  while (pos < sourceSize) {
    const std::uint64_t out = to + (pos - from);
    OggPage page;
    const TagStatus read = ReadOggPage(source, pos, sourceSize, page);
    if (read == TagStatus::IoError) return read;
    if (read != TagStatus::Ok) return CopyTrailingBytes(source, pos, sourceSize, target, out);
    if (page.serial != serial) {
      if (!CopyRange(source, pos, page.End() - pos, target, out)) return TagStatus::IoError;
    } else {
      std::string body;
      if (const TagStatus s = ReadOggPageBody(source, page, body); s != TagStatus::Ok) return s;
      if (!OggPageCrcValid(page, body)) return TagStatus::Malformed;
      page.sequence += delta;
      const std::string bytes = BuildOggPage(page, body);
      if (!target.WriteAt(out, bytes.data(), bytes.size())) return TagStatus::IoError;
    }
    pos = page.End();
  }
  return TagStatus::Ok;
}

}  // namespace sv::tags
