// Bitmap files: any bytes are refused or decoded within the header's
// promises, never read past the end.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Require.h"
#include "skin/BmpFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sv::skin;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const BmpCheck check = CheckBmpHeader(bytes);
  const auto image = DecodeBmp(bytes);
  REQUIRE(check.Info.has_value() == image.has_value());
  REQUIRE(check.Info.has_value() == check.Problem.empty());
  if (!image) return 0;
  REQUIRE(image->Width == check.Info->Width && image->Height == check.Info->Height);
  REQUIRE(image->Width >= 1 && image->Width <= kMaxBitmapSide);
  REQUIRE(image->Pixels.size() == static_cast<size_t>(image->Width) * static_cast<size_t>(image->Height));
  for (std::uint32_t pixel : image->Pixels) REQUIRE(pixel <= 0xFFFFFFu);
  return 0;
}
