#include "tags/OggPage.h"

#include <algorithm>
#include <array>

#include "tags/Bytes.h"

namespace sv::tags {
namespace {

// Eight tables, so the checksum takes eight bytes per step: every title read
// checks the comment pages, a few KB. Table k gives the effect of a byte
// followed by k more bytes.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables MakeCrcTables() {
  CrcTables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t r = i << 24;
    for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
    t[0][i] = r;
  }
  for (std::size_t k = 1; k < t.size(); ++k)
    for (std::size_t i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
  return t;
}

constexpr CrcTables kCrc = MakeCrcTables();

}  // namespace

std::uint32_t OggCrc(std::string_view bytes, std::uint32_t crc) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t n = bytes.size();
  for (; n >= 8; p += 8, n -= 8) {
    crc ^= std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
    crc = kCrc[7][crc >> 24] ^ kCrc[6][(crc >> 16) & 0xFF] ^ kCrc[5][(crc >> 8) & 0xFF] ^ kCrc[4][crc & 0xFF] ^
          kCrc[3][p[4]] ^ kCrc[2][p[5]] ^ kCrc[1][p[6]] ^ kCrc[0][p[7]];
  }
  for (; n > 0; ++p, --n) crc = (crc << 8) ^ kCrc[0][(crc >> 24) ^ *p];
  return crc;
}

std::uint64_t OggPage::BodySize() const {
  std::uint64_t sum = 0;
  for (const auto v : lacing) sum += v;
  return sum;
}

bool ParseOggPageHeader(std::string_view bytes, OggPage& page) {
  if (bytes.size() < kOggHeaderSize || bytes.substr(0, 4) != "OggS" || bytes[4] != 0) return false;
  const char* p = bytes.data();
  const auto flags = static_cast<std::uint8_t>(p[5]);
  if (flags & ~(kOggContinued | kOggFirstPage | kOggLastPage)) return false;
  const std::size_t segments = static_cast<unsigned char>(p[26]);
  if (bytes.size() < kOggHeaderSize + segments) return false;
  page.flags = flags;
  page.granule = LoadLE64(p + 6);
  page.serial = LoadLE32(p + 14);
  page.sequence = LoadLE32(p + 18);
  page.crc = LoadLE32(p + 22);
  page.lacing.assign(p + kOggHeaderSize, p + kOggHeaderSize + segments);
  return true;
}

std::string OggPageHeaderBytes(const OggPage& page, std::uint32_t crc) {
  std::string h = "OggS";
  h += '\0';
  h += static_cast<char>(page.flags);
  AppendLE64(h, page.granule);
  AppendLE32(h, page.serial);
  AppendLE32(h, page.sequence);
  AppendLE32(h, crc);
  h += static_cast<char>(page.lacing.size());
  for (const auto v : page.lacing) h += static_cast<char>(v);
  return h;
}

std::string BuildOggPage(const OggPage& page, std::string_view body) {
  std::string bytes = OggPageHeaderBytes(page, 0);
  bytes.append(body);
  const std::uint32_t crc = OggCrc(bytes);
  std::string field;
  AppendLE32(field, crc);
  bytes.replace(22, 4, field);
  return bytes;
}

TagStatus ReadOggPage(RandomAccessFile& file, std::uint64_t offset, std::uint64_t fileSize, OggPage& page) {
  if (offset > fileSize || fileSize - offset < kOggHeaderSize) return TagStatus::Malformed;
  std::string header;
  const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize - offset, kOggHeaderSize + kOggMaxSegments));
  if (!ReadUpTo(file, offset, want, header)) return TagStatus::IoError;
  if (!ParseOggPageHeader(header, page)) return TagStatus::Malformed;
  page.offset = offset;
  if (page.HeaderSize() + page.BodySize() > fileSize - offset) return TagStatus::Malformed;
  return TagStatus::Ok;
}

TagStatus ReadOggPageBody(RandomAccessFile& file, const OggPage& page, std::string& body) {
  const auto size = static_cast<std::size_t>(page.BodySize());
  body.resize(size);
  return ReadExact(file, page.offset + page.HeaderSize(), body.data(), size) ? TagStatus::Ok : TagStatus::IoError;
}

bool OggPageCrcValid(const OggPage& page, std::string_view body) {
  return OggCrc(body, OggCrc(OggPageHeaderBytes(page, 0))) == page.crc;
}

TagStatus FindOggPage(RandomAccessFile& file, std::uint64_t offset, std::uint64_t fileSize, std::uint64_t reach,
                      OggPage& page, std::string& body) {
  constexpr std::size_t kLook = 4096;
  const std::uint64_t stop = offset + std::min(reach, fileSize - std::min(offset, fileSize));
  for (std::uint64_t at = offset; at < stop;) {
    const TagStatus read = ReadOggPage(file, at, fileSize, page);
    if (read == TagStatus::IoError) return read;
    if (read == TagStatus::Ok) {
      if (ReadOggPageBody(file, page, body) != TagStatus::Ok) return TagStatus::IoError;
      if (OggPageCrcValid(page, body)) return TagStatus::Ok;
    }
    if (at + 1 >= fileSize) break;
    std::string look;
    if (!ReadUpTo(file, at + 1, static_cast<std::size_t>(std::min<std::uint64_t>(kLook, fileSize - at - 1)), look))
      return TagStatus::IoError;
    const std::size_t found = look.find("OggS");
    if (found != std::string::npos) {
      at += 1 + found;
    } else if (look.size() > 3) {
      at += 1 + look.size() - 3;  // the pattern may begin in the last bytes
    } else {
      break;
    }
  }
  return TagStatus::Malformed;
}

TagStatus ReadOggPacket(RandomAccessFile& file, std::uint64_t offset, std::uint64_t fileSize,
                        std::size_t maxBytes, bool keepBodies, OggPacket& packet) {
  packet = OggPacket{};
  std::uint64_t pos = offset;
  for (;;) {
    OggPage page;
    if (const TagStatus s = ReadOggPage(file, pos, fileSize, page); s != TagStatus::Ok) return s;
    const bool first = packet.pages.empty();
    if (first ? (page.flags & kOggContinued) != 0
              : ((page.flags & kOggContinued) == 0 || page.serial != packet.pages.front().serial))
      return TagStatus::Malformed;
    // Only the segments that belong to this packet are gathered.
    std::size_t take = 0, length = 0;
    bool ends = false;
    while (take < page.lacing.size() && !ends) {
      length += page.lacing[take];
      ends = page.lacing[take++] < 255;
    }
    if (length > maxBytes - packet.bytes.size()) return TagStatus::Unsupported;
    std::string body;
    if (const TagStatus s = ReadOggPageBody(file, page, body); s != TagStatus::Ok) return s;
    packet.bytes.append(body, 0, length);
    packet.crcValid = packet.crcValid && OggPageCrcValid(page, body);
    if (keepBodies) packet.bodies.push_back(std::move(body));
    pos = page.End();
    packet.pages.push_back(std::move(page));
    if (ends) {
      packet.endSegment = take;
      return TagStatus::Ok;
    }
    // A page with no lacing values carries nothing; the packet still has to
    // end within the cap, which bounds the walk by the file's size.
    if (pos >= fileSize) return TagStatus::Malformed;
  }
}

}  // namespace sv::tags
