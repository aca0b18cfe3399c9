#include "tests/player/app/WindowShots.h"

#include <cstdio>

#include "tests/player/app/PngWriter.h"

namespace playertest {

void WindowShots::PlaceSkins() {
  std::filesystem::copy(svtest::BuiltFile("player/app/skin"), folder / "skin",
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
}

sv::skin::BmpImage WindowShots::CaptureForm(const std::string& form, const std::string& png) {
  const std::string file = PathOf("capture.bmp");
  std::filesystem::remove(folder / "capture.bmp");
  auto reply = client.Request(appWindow, {"capture", form, "", file});
  EXPECT_TRUE(reply && reply->ok) << (reply ? reply->text : "no answer");
  auto image = sv::skin::LoadBmpFile(file);
  if (!image) {
    ADD_FAILURE() << "no capture of " << form;
    return {};
  }
  if (!png.empty())
    WritePng(svtest::BuiltFile("tests/player/app") / (png + ".png"), image->Width, image->Height, image->Pixels);
  return *image;
}

std::string Rgb(std::uint32_t pixel) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", pixel & 0xFFFFFF);
  return text;
}

}  // namespace playertest
