#include "tags/VorbisComment.h"

#include "base/Ascii.h"
#include "tags/Bytes.h"
#include "tags/TextUtil.h"

namespace sv::tags {
namespace {

constexpr std::string_view kCommentId("\x03vorbis", 7);
constexpr std::size_t kShownBytes = 250;

// Reads a 32-bit length and that many bytes at `pos`; false when either
// runs past the packet.
bool ReadCounted(std::string_view packet, std::size_t& pos, std::string& out) {
  if (packet.size() - pos < 4) return false;
  const std::uint32_t length = LoadLE32(packet.data() + pos);
  if (length > packet.size() - pos - 4) return false;
  out.assign(packet.substr(pos + 4, length));
  pos += 4 + length;
  return true;
}

std::string_view Shown(std::string_view stored) { return Trim(stored.substr(0, kShownBytes)); }

}  // namespace

std::string_view ValidUtf8Prefix(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    std::size_t len = 1;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      len = 3;
      if (b0 == 0xE0) lo = 0xA0;
      if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      len = 4;
      if (b0 == 0xF0) lo = 0x90;
      if (b0 == 0xF4) hi = 0x8F;
    } else {
      break;
    }
    if (bytes.size() - i < len) break;
    bool ok = true;
    for (std::size_t k = 1; k < len && ok; ++k) {
      const auto b = static_cast<unsigned char>(bytes[i + k]);
      ok = k == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
    }
    if (!ok) break;
    i += len;
  }
  return bytes.substr(0, i);
}

TagStatus ParseVorbisComment(std::string_view packet, VorbisCommentPacket& comment) {
  comment = VorbisCommentPacket{};
  if (packet.substr(0, kCommentId.size()) != kCommentId) return TagStatus::NoTag;
  std::size_t pos = kCommentId.size();
  if (!ReadCounted(packet, pos, comment.vendor) || packet.size() - pos < 4) return TagStatus::Malformed;
  const std::uint32_t count = LoadLE32(packet.data() + pos);
  pos += 4;
  // Each item needs at least its 4-byte length: a larger count cannot be
  // met, and the loop below then ends on a length past the packet.
  const std::size_t possible = (packet.size() - pos) / 4;
  const std::size_t bounded = count <= possible ? count : possible + 1;
  comment.items.reserve(bounded < possible ? bounded : possible);
  for (std::size_t i = 0; i < bounded; ++i) {
    std::string item;
    if (!ReadCounted(packet, pos, item)) return TagStatus::Malformed;
    comment.items.push_back(std::move(item));
  }
  comment.trailer.assign(packet.substr(pos));
  return TagStatus::Ok;
}

std::string BuildVorbisComment(const VorbisCommentPacket& comment) {
  std::string out(kCommentId);
  AppendLE32(out, static_cast<std::uint32_t>(comment.vendor.size()));
  out += comment.vendor;
  AppendLE32(out, static_cast<std::uint32_t>(comment.items.size()));
  for (const auto& item : comment.items) {
    AppendLE32(out, static_cast<std::uint32_t>(item.size()));
    out += item;
  }
  out += comment.trailer;
  return out;
}

std::string VorbisItemName(std::string_view item) {
  const auto eq = item.find('=');
  return eq == std::string_view::npos ? std::string() : AsciiUpper(item.substr(0, eq));
}

VorbisFields DecodeVorbisFields(const VorbisCommentPacket& comment) {
  VorbisFields fields;
  fields.vendor = ValidUtf8Prefix(Shown(comment.vendor));
  for (const auto& stored : comment.items) {
    const std::string_view item = Shown(stored);
    const auto eq = item.find('=');
    if (eq == std::string_view::npos) {
      if (fields.vendor.empty()) fields.vendor = ValidUtf8Prefix(item);
      continue;
    }
    const std::string name = AsciiUpper(item.substr(0, eq));
    for (int n = 0; n < kVorbisNames; ++n)
      if (name == kVorbisNameText[n]) fields.values[n] = ValidUtf8Prefix(Trim(item.substr(eq + 1)));
  }
  return fields;
}

void ReplaceVorbisItems(VorbisCommentPacket& comment, std::string_view name, std::string_view value) {
  std::vector<std::string> kept;
  kept.reserve(comment.items.size() + 1);
  bool placed = value.empty();
  const std::string upper = AsciiUpper(name);
  for (auto& item : comment.items) {
    if (VorbisItemName(item) != upper) {
      kept.push_back(std::move(item));
    } else if (!placed) {
      kept.push_back(std::string(name) + "=" + std::string(value));
      placed = true;
    }
  }
  if (!placed) kept.push_back(std::string(name) + "=" + std::string(value));
  comment.items = std::move(kept);
}

}  // namespace sv::tags
