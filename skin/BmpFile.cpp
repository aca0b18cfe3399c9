#include "skin/BmpFile.h"

#include "base/Exception.h"
#include "base/TextFile.h"

namespace sv::skin {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitFields = 3;

std::uint32_t U32(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
// Blue, green, red bytes as 0x00RRGGBB.
std::uint32_t U24(std::string_view b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16;
}
std::uint16_t U16(std::string_view b, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

// Everything the decoder needs, taken from the header once it is checked.
struct Layout {
  BmpInfo info;
  std::size_t pixelsAt = 0;
  std::size_t rowBytes = 0;
  std::size_t paletteAt = 0;
  std::size_t paletteEntries = 0;
  std::size_t paletteEntrySize = 4;
  std::uint32_t masks[3] = {0, 0, 0};
  bool bitFields = false;
};

BmpCheck Refuse(std::string problem) { return {std::nullopt, std::move(problem)}; }

BmpCheck Check(std::string_view b, Layout& out) {
  if (b.size() < kFileHeader + 12) return Refuse("too short for a bitmap header");
  if (b[0] != 'B' || b[1] != 'M') return Refuse("no bitmap signature");
  const std::uint32_t pixelsAt = U32(b, 10);
  const std::uint32_t headerSize = U32(b, kFileHeader);
  if (headerSize != 12 && headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 &&
      headerSize != 124)
    return Refuse("unknown bitmap header size");
  if (kFileHeader + headerSize > b.size()) return Refuse("bitmap header cut short");
  std::int64_t width = 0, height = 0;
  std::uint16_t planes = 0, bits = 0;
  std::uint32_t compression = kRgb, used = 0;
  if (headerSize == 12) {
    width = U16(b, 18);
    height = U16(b, 20);
    planes = U16(b, 22);
    bits = U16(b, 24);
    out.paletteEntrySize = 3;
  } else {
    width = static_cast<std::int32_t>(U32(b, 18));
    height = static_cast<std::int32_t>(U32(b, 22));
    planes = U16(b, 26);
    bits = U16(b, 28);
    compression = U32(b, 30);
    used = U32(b, 46);
  }
  if (planes != 1) return Refuse("bitmap planes not 1");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Refuse("unsupported bits per pixel");
  if (compression != kRgb && !(compression == kBitFields && (bits == 16 || bits == 32)))
    return Refuse("compressed bitmaps are not read");
  out.info.TopDown = height < 0;
  if (height < 0) height = -height;
  if (width < 1 || height < 1 || width > kMaxBitmapSide || height > kMaxBitmapSide)
    return Refuse("bitmap size out of range");
  if (width * height > kMaxBitmapPixels) return Refuse("bitmap too large");

  std::size_t after = kFileHeader + headerSize;
  if (compression == kBitFields) {
    const std::size_t masksAt = headerSize == 40 ? after : kFileHeader + 40;
    if (masksAt + 12 > b.size()) return Refuse("bit-field masks cut short");
    for (int i = 0; i < 3; ++i) out.masks[i] = U32(b, masksAt + 4 * static_cast<std::size_t>(i));
    if (headerSize == 40) after += 12;
    out.bitFields = true;
  } else if (bits == 16) {
    out.masks[0] = 0x7C00;
    out.masks[1] = 0x03E0;
    out.masks[2] = 0x001F;
    out.bitFields = true;
  }
  if (bits <= 8) {
    const std::size_t most = std::size_t{1} << bits;
    if (used > most) return Refuse("palette larger than the bit depth allows");
    out.paletteEntries = used ? used : most;
    out.paletteAt = after;
    if (out.paletteAt + out.paletteEntries * out.paletteEntrySize > b.size()) return Refuse("palette cut short");
  }
  out.rowBytes = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::size_t need = out.rowBytes * static_cast<std::size_t>(height);
  if (pixelsAt < kFileHeader + 12 || pixelsAt > b.size() || b.size() - pixelsAt < need)
    return Refuse("pixel data cut short");
  out.pixelsAt = pixelsAt;
  out.info.Width = static_cast<int>(width);
  out.info.Height = static_cast<int>(height);
  out.info.BitCount = bits;
  return {out.info, {}};
}

// The value of `mask`'s bits, scaled to 0..255.
std::uint32_t Channel(std::uint32_t value, std::uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1u)) ++shift;
  const std::uint32_t top = mask >> shift;
  const std::uint32_t v = (value & mask) >> shift;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(v) * 255 + top / 2) / top);
}

}  // namespace

BmpCheck CheckBmpHeader(std::string_view fileBytes) {
  Layout layout;
  return Check(fileBytes, layout);
}

std::optional<BmpImage> DecodeBmp(std::string_view b) {
  Layout l;
  if (!Check(b, l).Info) return std::nullopt;
  BmpImage image;
  image.Width = l.info.Width;
  image.Height = l.info.Height;
  image.Pixels.resize(static_cast<std::size_t>(image.Width) * static_cast<std::size_t>(image.Height));
  auto paletteColour = [&](std::size_t index) -> std::uint32_t {
    if (index >= l.paletteEntries) return 0;
    const std::size_t at = l.paletteAt + index * l.paletteEntrySize;
    return U24(b, at);
  };
  for (int row = 0; row < image.Height; ++row) {
    const int y = l.info.TopDown ? row : image.Height - 1 - row;
    const std::size_t rowAt = l.pixelsAt + static_cast<std::size_t>(row) * l.rowBytes;
    auto* out = &image.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.Width)];
    for (int x = 0; x < image.Width; ++x) {
      const auto ux = static_cast<std::size_t>(x);
      std::uint32_t colour = 0;
      switch (l.info.BitCount) {
        case 1:
          colour = paletteColour((static_cast<unsigned char>(b[rowAt + ux / 8]) >> (7 - ux % 8)) & 1u);
          break;
        case 4:
          colour = paletteColour((static_cast<unsigned char>(b[rowAt + ux / 2]) >> (ux % 2 ? 0 : 4)) & 0xFu);
          break;
        case 8:
          colour = paletteColour(static_cast<unsigned char>(b[rowAt + ux]));
          break;
        case 24:
          colour = U24(b, rowAt + ux * 3);
          break;
        case 16:
        case 32: {
          const std::uint32_t value = l.info.BitCount == 16 ? U16(b, rowAt + ux * 2) : U32(b, rowAt + ux * 4);
          if (l.bitFields) {
            colour = Channel(value, l.masks[0]) << 16 | Channel(value, l.masks[1]) << 8 | Channel(value, l.masks[2]);
          } else {
            colour = value & 0xFFFFFFu;
          }
          break;
        }
        default:
          break;
      }
      out[x] = colour;
    }
  }
  return image;
}

std::optional<BmpImage> LoadBmpFile(const std::string& path, std::string* problem) {
  if (!FileExists(path)) return std::nullopt;
  try {
    const std::string bytes = ReadFileBytes(path, kMaxBitmapFileBytes);
    auto image = DecodeBmp(bytes);
    if (!image && problem) {
      const BmpCheck check = CheckBmpHeader(bytes);
      *problem = check.Problem.empty() ? "not a readable bitmap" : check.Problem;
    }
    return image;
  } catch (const Exception& e) {
    if (problem) *problem = e.Message();
    return std::nullopt;
  }
}

}  // namespace sv::skin
