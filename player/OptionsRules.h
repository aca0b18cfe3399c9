#pragma once
// Rules of the options window that need no window: the info bubble's
// opacity on the slider, the output-device choice, and the list and bubble
// fonts written over a skin's own (section USERFONT of its skin.ini).
#include <string>

#include "base/IniFile.h"

namespace player {

// The slider runs from 0 (opaque) to 80 (mostly transparent); the bubble's
// opacity from 255 (opaque) down. Integer division both ways, so a stored
// opacity need not come back unchanged (200 -> 21 -> 201).
inline constexpr int kOpacitySliderMax = 80;
int OpacitySliderPosition(int opacity);
int OpacityOfSliderPosition(int position);

// The combo item for the stored device number: item 0 is the system's
// default (-1), item n device n; -1 (no item) for a number the list lacks.
int OutputDeviceItem(int storedDevice, int itemCount);
// The number stored for a chosen item.
int OutputDeviceOfItem(int item);

// One font as the options window shows it. An empty name means no font is
// chosen: the name is then left as it stands in the file.
struct FontChoice {
  std::string Name;
  std::string Size;  // as typed; empty is not written
  bool Bold = true;
  bool Italic = false;
};

// Writes section USERFONT in the fixed order: PoliceName, PoliceSize,
// PoliceBold, PoliceItalic, then the same four with "Balloon" before them.
void WriteUserFonts(sv::IniFile& skinIni, const FontChoice& list, const FontChoice& balloon);

// The skin's own fonts (section FONT) as "Par défaut" restores them; the
// bubble's keys default to the list font read here, which is what the
// list-font controls then show.
struct FontDefaults {
  FontChoice List;
  FontChoice Balloon;
};
FontDefaults ReadFontDefaults(const sv::IniFile& skinIni);

}  // namespace player
