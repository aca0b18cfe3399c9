// Album pictures from whatever a tag or a folder holds. Decoding either
// fails with nothing in the result, or gives a picture whose sides follow
// from the scale rule and whose rows fill the buffer exactly.
#include <cstddef>
#include <cstdint>

#include "Require.h"
#include "player/CoverPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  player::DecodedPicture picture;
  if (!player::DecodeJpeg(data, size, picture)) {
    REQUIRE(picture.Width == 0 && picture.Height == 0 && picture.Stride == 0 && picture.Bgr.empty());
    return 0;
  }
  REQUIRE(picture.Width > 0 && picture.Height > 0);
  // Every step but the last ends below 200 pixels, and the last divides the
  // largest accepted side by eight.
  REQUIRE(picture.Width <= player::kMaxCoverSide / 8 && picture.Height <= player::kMaxCoverSide / 8);
  REQUIRE(picture.Stride % 4 == 0 && picture.Stride >= picture.Width * 3 && picture.Stride < picture.Width * 3 + 4);
  REQUIRE(picture.Bgr.size() == static_cast<size_t>(picture.Stride) * static_cast<size_t>(picture.Height));

  player::CoverLayout layout{};
  REQUIRE(player::LayoutCover(picture.Width, picture.Height, layout));
  REQUIRE(layout.PanelWidth <= 100 && layout.PanelHeight <= 100);
  REQUIRE(layout.PanelWidth == 100 || layout.PanelHeight == 100);
  return 0;
}
