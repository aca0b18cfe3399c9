#include "player/OptionsRules.h"

#include <algorithm>

namespace player {

namespace {
constexpr char kUserFont[] = "USERFONT";
constexpr char kFont[] = "FONT";

void WriteFont(sv::IniFile& ini, const std::string& prefix, const FontChoice& font) {
  if (!font.Name.empty()) ini.WriteString(kUserFont, prefix + "PoliceName", font.Name);
  if (!font.Size.empty()) ini.WriteString(kUserFont, prefix + "PoliceSize", font.Size);
  ini.WriteBool(kUserFont, prefix + "PoliceBold", font.Bold);
  ini.WriteBool(kUserFont, prefix + "PoliceItalic", font.Italic);
}
}  // namespace

int OpacitySliderPosition(int opacity) {
  return std::clamp((255 - std::clamp(opacity, 0, 255)) * 100 / 255, 0, kOpacitySliderMax);
}

int OpacityOfSliderPosition(int position) { return (100 - std::clamp(position, 0, kOpacitySliderMax)) * 255 / 100; }

int OutputDeviceItem(int storedDevice, int itemCount) {
  if (storedDevice == -1) return 0;
  return storedDevice >= 0 && storedDevice < itemCount ? storedDevice : -1;
}

int OutputDeviceOfItem(int item) { return item <= 0 ? -1 : item; }

void WriteUserFonts(sv::IniFile& skinIni, const FontChoice& list, const FontChoice& balloon) {
  skinIni.BeginUpdate();
  WriteFont(skinIni, "", list);
  WriteFont(skinIni, "Balloon", balloon);
  skinIni.EndUpdate();
}

FontDefaults ReadFontDefaults(const sv::IniFile& skinIni) {
  FontDefaults d;
  d.List.Name = skinIni.ReadString(kFont, "PoliceName", "Tahoma");
  d.List.Size = skinIni.ReadString(kFont, "PoliceSize", "8");
  d.List.Bold = skinIni.ReadBool(kFont, "PoliceBold", true);
  d.List.Italic = skinIni.ReadBool(kFont, "PoliceItalic", false);
  d.Balloon.Name = skinIni.ReadString(kFont, "BalloonPoliceName", d.List.Name);
  d.Balloon.Size = skinIni.ReadString(kFont, "BalloonPoliceSize", d.List.Size);
  d.Balloon.Bold = skinIni.ReadBool(kFont, "BalloonPoliceBold", d.List.Bold);
  d.Balloon.Italic = skinIni.ReadBool(kFont, "BalloonPoliceItalic", d.List.Italic);
  return d;
}

}  // namespace player
