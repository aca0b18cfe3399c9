#pragma once
// Tests of the player's skinned secondary windows: the shipped skins beside
// the program, and a form's client area read back as pixels and kept as a
// PNG in the build folder to look at.
#include <cstdint>
#include <map>
#include <string>

#include "skin/BmpFile.h"
#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {

class WindowShots : public PlayerProgram {
 protected:
  // Copies the shipped skins into the player's folder.
  void PlaceSkins();
  // The form's client area; also written to tests/player/app/<png>.png in
  // the build folder when a name is given.
  sv::skin::BmpImage CaptureForm(const std::string& form, const std::string& png = {});
};

// "RRGGBB" of a pixel, for messages that name colours as they are seen.
std::string Rgb(std::uint32_t pixel);

}  // namespace playertest
