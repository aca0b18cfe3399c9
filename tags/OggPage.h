#pragma once
// Ogg pages: the page header with its lacing table, the page checksum, and
// reading pages and whole packets from a file. Every size comes from the
// file and is checked against it before use.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

constexpr std::uint8_t kOggContinued = 0x01;
constexpr std::uint8_t kOggFirstPage = 0x02;
constexpr std::uint8_t kOggLastPage = 0x04;
constexpr std::uint64_t kOggNoGranule = ~std::uint64_t{0};
constexpr std::size_t kOggHeaderSize = 27;
constexpr std::size_t kOggMaxSegments = 255;

// The Ogg checksum: CRC-32, polynomial 0x04C11DB7, initial value 0, not
// reflected, no final XOR. `crc` continues an earlier run.
std::uint32_t OggCrc(std::string_view bytes, std::uint32_t crc = 0);

struct OggPage {
  std::uint64_t offset = 0;  // where the page starts in the file
  std::uint8_t flags = 0;
  std::uint64_t granule = 0;
  std::uint32_t serial = 0;
  std::uint32_t sequence = 0;
  std::uint32_t crc = 0;
  std::vector<std::uint8_t> lacing;

  std::uint64_t HeaderSize() const { return kOggHeaderSize + lacing.size(); }
  std::uint64_t BodySize() const;
  std::uint64_t End() const { return offset + HeaderSize() + BodySize(); }
};

// Parses the header at the start of `bytes` (27 bytes and the lacing table):
// "OggS", version 0, flags of known bits only. False when it is not one.
bool ParseOggPageHeader(std::string_view bytes, OggPage& page);

// The page's header bytes with the given CRC field.
std::string OggPageHeaderBytes(const OggPage& page, std::uint32_t crc);

// A complete page: header and body, with its checksum computed.
std::string BuildOggPage(const OggPage& page, std::string_view body);

// Reads the page header at `offset`. Malformed when there is no valid page
// header there or the page runs past `fileSize`; IoError on a read error.
TagStatus ReadOggPage(RandomAccessFile& file, std::uint64_t offset, std::uint64_t fileSize, OggPage& page);

// Reads the page's body (the caller bounds its size: at most 255 x 255).
TagStatus ReadOggPageBody(RandomAccessFile& file, const OggPage& page, std::string& body);

// True when the page's stored checksum matches its header and body.
bool OggPageCrcValid(const OggPage& page, std::string_view body);

// Finds the first page at or after `offset` whose checksum holds and reads
// its body: bytes that are no page, and pages that fail their checksum (a
// page cut short, whose header claims bytes of what follows), are passed
// over. Only pages that start within `reach` bytes of `offset` are looked
// at. Malformed when there is none.
TagStatus FindOggPage(RandomAccessFile& file, std::uint64_t offset, std::uint64_t fileSize, std::uint64_t reach,
                      OggPage& page, std::string& body);

// One packet reassembled from consecutive pages of one stream.
struct OggPacket {
  std::string bytes;
  // The pages that carry it, in order; the packet starts at the first
  // page's first segment and ends on the last page at segment `endSegment`
  // (exclusive index into that page's lacing table).
  std::vector<OggPage> pages;
  std::size_t endSegment = 0;
  // The bodies of those pages, kept only when asked for.
  std::vector<std::string> bodies;
  // Every page carrying it had a valid checksum.
  bool crcValid = true;
};

// Reads the packet that starts with the first segment of the page at
// `offset`. The pages must follow each other directly, share the first
// page's serial, and each later one carry the continued flag. At most
// `maxBytes` are gathered: a longer packet is Unsupported. Malformed when
// the layout is broken or the file ends inside the packet.
TagStatus ReadOggPacket(RandomAccessFile& file, std::uint64_t offset, std::uint64_t fileSize,
                        std::size_t maxBytes, bool keepBodies, OggPacket& packet);

}  // namespace sv::tags
