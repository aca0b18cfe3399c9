#include "skin/BmpFile.h"

#include <algorithm>

#include "base/Exception.h"
#include "base/TextFile.h"

namespace sv::skin {

namespace {

constexpr std::size_t kFileHeader = 14;
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kCoreHeader = 12;       // the first OS/2 header: 16-bit sizes, 3-byte palette entries
constexpr std::uint32_t kOs2MinimumHeader = 16;  // the second OS/2 header, cut anywhere from 16 to 64 bytes
constexpr std::uint32_t kOs2Header = 64;

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
  std::uint32_t runLength = kRgb;  // kRle8 or kRle4 for run-length pixels
};

// Header sizes: Windows' 40, 52, 56, 108 and 124, and both OS/2 headers.
bool KnownHeaderSize(std::uint32_t size) {
  return size == kCoreHeader || (size >= kOs2MinimumHeader && size <= kOs2Header) || size == 108 || size == 124;
}
bool IsOs2Header(std::uint32_t size) { return size != 40 && size != 52 && size != 56 && size <= kOs2Header; }

BmpCheck Refuse(std::string problem) { return {std::nullopt, std::move(problem)}; }

BmpCheck Check(std::string_view b, Layout& out) {
  if (b.size() < kFileHeader + 12) return Refuse("too short for a bitmap header");
  if (b[0] != 'B' || b[1] != 'M') return Refuse("no bitmap signature");
  const std::uint32_t pixelsAt = U32(b, 10);
  const std::uint32_t headerSize = U32(b, kFileHeader);
  if (!KnownHeaderSize(headerSize)) return Refuse("unknown bitmap header size");
  if (kFileHeader + headerSize > b.size()) return Refuse("bitmap header cut short");
  std::int64_t width = 0, height = 0;
  std::uint16_t planes = 0, bits = 0;
  std::uint32_t compression = kRgb, used = 0;
  if (headerSize == kCoreHeader) {
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
    // A short OS/2 header leaves out the fields past its end: they are 0.
    if (headerSize >= 20) compression = U32(b, 30);
    if (headerSize >= 36) used = U32(b, 46);
  }
  if (planes != 1) return Refuse("bitmap planes not 1");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return Refuse("unsupported bits per pixel");
  const bool runLength = (compression == kRle8 && bits == 8) || (compression == kRle4 && bits == 4);
  // OS/2 gives 3 another meaning (Huffman coding), which is not read.
  const bool bitFields = compression == kBitFields && (bits == 16 || bits == 32) && !IsOs2Header(headerSize);
  if (compression != kRgb && !runLength && !bitFields) return Refuse("this compression is not read");
  if (runLength && height < 0) return Refuse("run-length bitmap stored top-down");
  if (runLength) out.runLength = compression;
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
    // The first OS/2 header counts no entries: the palette ends where the
    // pixels start.
    if (headerSize == kCoreHeader && pixelsAt > after)
      out.paletteEntries = std::min(most, (pixelsAt - after) / out.paletteEntrySize);
    if (out.paletteAt + out.paletteEntries * out.paletteEntrySize > b.size()) return Refuse("palette cut short");
  }
  out.rowBytes = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  // Runs take what they take: the decoder stops at the end of the file.
  const std::size_t need = runLength ? 0 : out.rowBytes * static_cast<std::size_t>(height);
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

// Run-length pixels into palette indexes, bottom row first as stored.
// Pixels the runs skip or never reach keep index 0; runs past a row's end
// or the last row are cut.
std::vector<std::uint8_t> RunLengthIndexes(std::string_view b, const Layout& l) {
  const auto width = static_cast<std::size_t>(l.info.Width), height = static_cast<std::size_t>(l.info.Height);
  std::vector<std::uint8_t> indexes(width * height, 0);
  const bool four = l.runLength == kRle4;
  std::size_t at = l.pixelsAt, x = 0, row = 0;
  auto put = [&](std::uint8_t index) {
    if (x < width && row < height) indexes[row * width + x] = index;
    ++x;
  };
  auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(b[i]); };
  while (at + 1 < b.size() && row < height) {
    const std::uint8_t count = byte(at), value = byte(at + 1);
    at += 2;
    if (count > 0) {
      for (std::uint8_t i = 0; i < count; ++i)
        put(four ? static_cast<std::uint8_t>(i % 2 ? value & 0xF : value >> 4) : value);
    } else if (value == 0) {
      x = 0;
      ++row;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (at + 1 >= b.size()) break;
      x += byte(at);
      row += byte(at + 1);
      at += 2;
    } else {
      // Absolute: `value` pixels as they are, padded to a 16-bit boundary.
      const std::size_t bytes = four ? (value + 1u) / 2u : value;
      if (at + bytes > b.size()) break;
      for (std::size_t i = 0; i < value; ++i)
        put(four ? static_cast<std::uint8_t>(i % 2 ? byte(at + i / 2) & 0xF : byte(at + i / 2) >> 4) : byte(at + i));
      at += bytes + bytes % 2;
    }
  }
  return indexes;
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
  if (l.runLength != kRgb) {
    const std::vector<std::uint8_t> indexes = RunLengthIndexes(b, l);
    const auto width = static_cast<std::size_t>(image.Width);
    for (std::size_t row = 0; row < static_cast<std::size_t>(image.Height); ++row) {
      const std::size_t y = static_cast<std::size_t>(image.Height) - 1 - row;
      for (std::size_t x = 0; x < width; ++x) image.Pixels[y * width + x] = paletteColour(indexes[row * width + x]);
    }
    return image;
  }
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
