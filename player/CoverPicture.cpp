#include "player/CoverPicture.h"

#include <csetjmp>
#include <cstdio>
#include <exception>
#include <string_view>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>
#include <jerror.h>

#include "base/Ascii.h"
#include "base/TextFile.h"

namespace player {

namespace {

// Progressive files may hold up to a coefficient buffer per component; this
// covers any plausible cover and keeps a forged one from taking the machine.
constexpr long kMaxDecoderMemory = 128L * 1024 * 1024;
// A progressive file may repeat tiny scans endlessly; real ones have about ten.
constexpr int kMaxScans = 500;
// Cover files are small; a bigger file is not a picture we want to show.
constexpr std::uintmax_t kMaxCoverFileBytes = 64u * 1024 * 1024;

// libjpeg reports fatal errors through error_exit, which must not return:
// it jumps back to the stage that called into the library. Warnings are
// kept quiet; only data ending before the picture does is remembered, since
// the library would fill the rest with grey and call it a success.
struct ErrorTrap {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  bool dataEnded;
};

void JumpOnError(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorTrap*>(info->err)->jump, 1);
}

void NoteMessage(j_common_ptr info, int level) {
  auto* trap = reinterpret_cast<ErrorTrap*>(info->err);
  if (level < 0 && (trap->pub.msg_code == JWRN_JPEG_EOF || trap->pub.msg_code == JWRN_HIT_MARKER))
    trap->dataEnded = true;
}

void LimitScans(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans) info->err->error_exit(info);
}

// Plain C state only, so that a jump out of the library skips no destructor.
// Zero-initialised, destroying it is safe whether or not creation happened.
struct Decoder {
  jpeg_decompress_struct info{};
  ErrorTrap trap{};
  jpeg_progress_mgr progress{};
  bool cmyk = false;
  bool invertedCmyk = false;

  Decoder() = default;
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  ~Decoder() { jpeg_destroy_decompress(&info); }
};

bool SideOk(JDIMENSION side) { return side > 0 && side <= static_cast<JDIMENSION>(kMaxCoverSide); }

// Creation, header and decoder set-up. No object with a destructor may live
// in this frame: longjmp lands here.
bool StartDecoding(Decoder& d, const std::uint8_t* data, std::size_t size) {
  d.info.err = jpeg_std_error(&d.trap.pub);
  d.trap.pub.error_exit = JumpOnError;
  d.trap.pub.emit_message = NoteMessage;
  if (setjmp(d.trap.jump)) return false;

  jpeg_create_decompress(&d.info);
  d.info.mem->max_memory_to_use = kMaxDecoderMemory;
  d.progress.progress_monitor = LimitScans;
  d.info.progress = &d.progress;
  jpeg_mem_src(&d.info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK) return false;
  if (!SideOk(d.info.image_width) || !SideOk(d.info.image_height)) return false;

  switch (d.info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_RGB:
    case JCS_YCbCr:
      d.info.out_color_space = JCS_EXT_BGR;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      // Converted here: the library has no CMYK to RGB conversion.
      d.info.out_color_space = JCS_CMYK;
      d.cmyk = true;
      // Files with the Adobe marker store CMYK inverted (0 = full ink).
      d.invertedCmyk = d.info.saw_Adobe_marker;
      break;
    default:
      return false;
  }
  d.info.scale_num = 1;
  d.info.scale_denom = static_cast<unsigned int>(
      CoverScaleDenominator(static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height)));
  d.info.dct_method = JDCT_IFAST;
  d.info.do_fancy_upsampling = FALSE;
  d.info.do_block_smoothing = FALSE;
  jpeg_start_decompress(&d.info);
  return !d.trap.dataEnded && d.info.output_width > 0 && d.info.output_height > 0 &&
         d.info.output_components == (d.cmyk ? 4 : 3);
}

void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned c = inverted ? cmyk[0] : 255u - cmyk[0];
    const unsigned m = inverted ? cmyk[1] : 255u - cmyk[1];
    const unsigned y = inverted ? cmyk[2] : 255u - cmyk[2];
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    bgr[0] = static_cast<std::uint8_t>((y * k + 127) / 255);
    bgr[1] = static_cast<std::uint8_t>((m * k + 127) / 255);
    bgr[2] = static_cast<std::uint8_t>((c * k + 127) / 255);
  }
}

// The scanlines into `pixels`; CMYK rows pass through `cmykRow` first. As
// above, longjmp lands in this frame.
bool ReadRows(Decoder& d, std::uint8_t* pixels, std::size_t stride, std::uint8_t* cmykRow) {
  if (setjmp(d.trap.jump)) return false;
  while (d.info.output_scanline < d.info.output_height) {
    std::uint8_t* row = pixels + stride * d.info.output_scanline;
    JSAMPROW target = d.cmyk ? cmykRow : row;
    if (jpeg_read_scanlines(&d.info, &target, 1) != 1) return false;
    if (d.cmyk) CmykRowToBgr(cmykRow, row, d.info.output_width, d.invertedCmyk);
  }
  return !d.trap.dataEnded;
}

bool EndsWithJpg(const std::string& lowerName) {
  return lowerName.size() >= 4 && lowerName.compare(lowerName.size() - 4, 4, ".jpg") == 0;
}

}  // namespace

int CoverScaleDenominator(int width, int height) {
  if (width < 200 && height < 200) return 1;
  if (width < 400 && height < 400) return 2;
  if (width < 800 && height < 800) return 4;
  return 8;
}

bool DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture& out) {
  out = DecodedPicture{};
  if (data == nullptr || size == 0) return false;
  Decoder decoder;
  if (!StartDecoding(decoder, data, size)) return false;

  const JDIMENSION width = decoder.info.output_width;
  const JDIMENSION height = decoder.info.output_height;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
  DecodedPicture picture;
  std::vector<std::uint8_t> cmykRow;
  try {
    picture.Bgr.assign(stride * height, 0);
    if (decoder.cmyk) cmykRow.assign(static_cast<std::size_t>(width) * 4, 0);
  } catch (const std::exception&) {
    return false;
  }
  if (!ReadRows(decoder, picture.Bgr.data(), stride, cmykRow.empty() ? nullptr : cmykRow.data())) return false;

  picture.Width = static_cast<int>(width);
  picture.Height = static_cast<int>(height);
  picture.Stride = static_cast<int>(stride);
  out = std::move(picture);
  return true;
}

bool DecodeJpegFile(const std::string& path, DecodedPicture& out) {
  out = DecodedPicture{};
  std::string bytes;
  try {
    bytes = sv::ReadFileBytes(path, kMaxCoverFileBytes);
  } catch (const std::exception&) {
    return false;
  }
  return DecodeJpeg(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), out);
}

std::string FindFolderCover(const std::vector<std::string>& namesInFolder) {
  const std::string* front = nullptr;
  const std::string* anyJpg = nullptr;
  for (const std::string& name : namesInFolder) {
    const std::string lower = sv::LowerAscii(name);
    if (!EndsWithJpg(lower)) continue;
    if (lower == "folder.jpg") return name;
    // "*front*.jpg": the word lies before the extension.
    if (front == nullptr && std::string_view(lower).substr(0, lower.size() - 4).find("front") != std::string_view::npos)
      front = &name;
    if (anyJpg == nullptr) anyJpg = &name;
  }
  if (front != nullptr) return *front;
  if (anyJpg != nullptr) return *anyJpg;
  return {};
}

bool LayoutCover(int width, int height, CoverLayout& out) {
  if (width <= 0 || height <= 0) return false;
  const long long w = width;
  const long long h = height;
  CoverLayout layout;
  if (h > w) {
    layout.PanelHeight = 100;
    layout.PanelWidth = static_cast<int>(w * 100 / h);
  } else {
    layout.PanelWidth = 100;
    layout.PanelHeight = static_cast<int>(h * 100 / w);
  }
  // Exact integer arithmetic: a floating quotient such as 29/100 would
  // truncate to 28.
  const long long ratio = h * 100 / w;
  layout.RatioTag = ratio > 2147483647LL ? 2147483647 : static_cast<int>(ratio);
  out = layout;
  return true;
}

}  // namespace player
