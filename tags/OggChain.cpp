#include "tags/OggChain.h"

#include <string>
#include <string_view>
#include <vector>

#include "tags/Bytes.h"
#include "tags/OggPage.h"

namespace sv::tags {
namespace {

constexpr std::size_t kIdPacketSize = 30;
// Setup headers of common encoders stay far below this.
constexpr std::size_t kMaxSetupPacket = 4 * 1024 * 1024;
constexpr std::size_t kMaxModes = 64;
constexpr std::size_t kModeBits = 41;  // block flag, window type, transform type, mapping

// Bits as Vorbis packs them: least significant first.
struct Bits {
  std::string_view bytes;
  unsigned Bit(std::size_t at) const { return (static_cast<unsigned char>(bytes[at / 8]) >> (at % 8)) & 1u; }
  unsigned Field(std::size_t at, unsigned count) const {
    unsigned value = 0;
    for (unsigned i = 0; i < count; ++i) value |= Bit(at + i) << i;
    return value;
  }
};

unsigned BitsFor(std::size_t value) {
  unsigned n = 0;
  for (; value; value >>= 1) ++n;
  return n;
}

// The block flag of each mode. The modes close the setup header, just
// before its framing bit, so they are read backwards from there: each has
// zero window and transform types, and the 6-bit count before the first one
// must match. Empty when no such layout is found.
std::vector<bool> ModeBlockFlags(std::string_view setup) {
  const Bits bits{setup};
  std::size_t end = setup.size() * 8;
  while (end > 0 && !bits.Bit(end - 1)) --end;
  if (end == 0) return {};
  --end;
  std::size_t count = 0;
  for (std::size_t k = 1; k <= kMaxModes && end >= kModeBits * k; ++k) {
    const std::size_t start = end - kModeBits * k;
    if (bits.Field(start + 1, 16) != 0 || bits.Field(start + 17, 16) != 0) break;
    if (start >= 6 && bits.Field(start - 6, 6) == k - 1) count = k;
  }
  std::vector<bool> flags(count);
  const std::size_t first = end - kModeBits * count;
  for (std::size_t i = 0; i < count; ++i) flags[i] = bits.Bit(first + kModeBits * i) != 0;
  return flags;
}

// One stream of the chain. Its packets are followed up to its first audio
// page with a granule position, which tells where its first sample stands;
// after that only the page headers are read.
class Link {
 public:
  explicit Link(std::uint32_t serial) : serial_(serial) {}

  std::uint32_t Serial() const { return serial_; }
  bool NeedsBodies() const { return !started_; }

  void Feed(const OggPage& page, std::string_view body) {
    std::size_t at = 0;
    for (const std::uint8_t lace : page.lacing) {
      const bool keep = packets_ == 0 || (packets_ == 2 && packet_.size() < kMaxSetupPacket) ||
                        (packets_ > 2 && packet_.empty());
      if (keep) packet_.append(body.substr(at, lace));
      at += lace;
      if (lace < 255) EndPacket();
    }
    if (packets_ > 3 && page.granule != kOggNoGranule) {
      // A link cut from a longer stream starts at a position above 0.
      start_ = modes_.empty() || page.granule < decoded_ ? 0 : page.granule - decoded_;
      started_ = true;
      Granule(page.granule);
    }
  }

  void Granule(std::uint64_t granule) { last_ = granule; }

  double Seconds() const {
    if (!started_ || rate_ == 0 || last_ < start_) return 0.0;
    return static_cast<double>(last_ - start_) / rate_;
  }

 private:
  void EndPacket() {
    const std::string_view p = packet_;
    if (packets_ == 0 && p.size() >= kIdPacketSize && p.compare(0, 7, "\x01vorbis") == 0) {
      rate_ = LoadLE32(p.data() + 12);
      const auto sizes = static_cast<unsigned char>(p[28]);
      blocks_[0] = 1u << (sizes & 0x0F);
      blocks_[1] = 1u << (sizes >> 4);
    } else if (packets_ == 2 && p.compare(0, 7, "\x05vorbis") == 0) {
      modes_ = ModeBlockFlags(p.substr(7));
    } else if (packets_ > 2 && !p.empty() && (p[0] & 1) == 0 && !modes_.empty()) {
      // Every audio packet but the first gives a quarter of each of its own
      // and the previous packet's blocks.
      const unsigned mode = Bits{p}.Field(1, BitsFor(modes_.size() - 1));
      if (mode < modes_.size() && blocks_[1] < (1u << 14)) {
        const unsigned block = blocks_[modes_[mode] ? 1 : 0];
        if (previous_) decoded_ += previous_ / 4 + block / 4;
        previous_ = block;
      }
    }
    packet_.clear();
    ++packets_;
  }

  std::uint32_t serial_;
  std::uint32_t rate_ = 0;
  unsigned blocks_[2] = {0, 0};
  std::vector<bool> modes_;
  std::string packet_;
  std::uint64_t packets_ = 0;
  unsigned previous_ = 0;
  std::uint64_t decoded_ = 0;
  bool started_ = false;
  std::uint64_t start_ = 0;
  std::uint64_t last_ = 0;
};

}  // namespace

TagStatus OggChainSeconds(RandomAccessFile& file, std::uint64_t offset, std::uint64_t size, double& seconds) {
  seconds = 0;
  std::vector<Link> links;
  std::string body;
  for (std::uint64_t pos = offset;;) {
    OggPage page;
    const TagStatus read = FindOggPage(file, pos, size, size, page, body);
    if (read == TagStatus::IoError) return read;
    if (read != TagStatus::Ok) break;
    pos = page.End();
    const bool first = (page.flags & kOggFirstPage) != 0;
    if (!first && (links.empty() || page.serial != links.back().Serial())) continue;
    if (first) {
      if (body.compare(0, 7, "\x01vorbis", 7) != 0) continue;
      links.emplace_back(page.serial);
    }
    if (links.back().NeedsBodies()) {
      links.back().Feed(page, body);
    } else if (page.granule != kOggNoGranule) {
      links.back().Granule(page.granule);
    }
  }
  for (const Link& link : links) seconds += link.Seconds();
  return TagStatus::Ok;
}

TagStatus OggSerialRestarts(RandomAccessFile& file, std::uint64_t offset, std::uint64_t size, const OggLastPage& last,
                            bool& restarts) {
  constexpr int kProbes = 8;
  // A page starts within this of any place: the largest page there is.
  constexpr std::uint64_t kReach = kOggHeaderSize + kOggMaxSegments * 256;
  restarts = false;
  if (size <= offset) return TagStatus::Ok;
  // The last page looked at, at first the opening one.
  std::uint64_t beforeOffset = offset;
  std::uint32_t beforeSequence = 0;
  std::uint64_t beforeGranule = 0;
  std::string body;
  for (int k = 1; k < kProbes; ++k) {
    OggPage page;
    const TagStatus read = FindOggPage(file, offset + (size - offset) / kProbes * k, size, kReach, page, body);
    if (read == TagStatus::IoError) return read;
    if (read != TagStatus::Ok || page.serial != last.serial || page.offset == beforeOffset) continue;
    const bool hasGranule = page.granule != kOggNoGranule;
    if ((page.flags & kOggFirstPage) || page.sequence <= beforeSequence || page.sequence > last.sequence ||
        (hasGranule && (page.granule < beforeGranule || page.granule > last.granule))) {
      restarts = true;
      return TagStatus::Ok;
    }
    beforeOffset = page.offset;
    beforeSequence = page.sequence;
    if (hasGranule) beforeGranule = page.granule;
  }
  return TagStatus::Ok;
}

}  // namespace sv::tags
