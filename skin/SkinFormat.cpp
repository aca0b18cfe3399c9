#include "skin/SkinFormat.h"

#include <algorithm>

#include "base/IniFile.h"
#include "base/Numbers.h"
#include "skin/SkinColours.h"

namespace sv::skin {

namespace {

struct ControlDefaults {
  const char* prefix;
  int left;       // added to dl
  bool rightShift;  // also shifted by dw (the right-hand trio)
  int top;        // added to dt
  int width;      // added to dw; bars only
  bool anchorLeft;
  bool bar;
};

// Positions at the design size 300 x 380, moved by the legacy block keys.
constexpr ControlDefaults kControls[kControlCount] = {
    {"BtnEgaliseur", 8, false, 349, 0, true, false},  {"BtnOptions", 8, false, 361, 0, true, false},
    {"BtnRep", 18, false, 349, 0, true, false},       {"BtnListe", 56, false, 349, 0, true, false},
    {"LabelTemps", 91, false, 360, 0, true, false},   {"BarPos", 94, false, 350, 119, true, true},
    {"BarVol", 147, false, 362, 66, true, true},      {"BtnPrev", 216, true, 349, 0, false, false},
    {"BtnPlay", 241, true, 349, 0, false, false},     {"BtnNext", 266, true, 349, 0, false, false},
};

constexpr const char* kButtonKeys[kButtonPictureCount] = {"PlayBmpFile",  "PauseBmpFile", "NextBmpFile",
                                                          "PrevBmpFile",  "RepBmpFile",   "ListeBmpFile",
                                                          "EqualizerBmpFile", "OptionsBmpFile"};
constexpr const char* kButtonFiles[kButtonPictureCount] = {
    "..\\default\\img_play.bmp", "..\\default\\img_pause.bmp", "..\\default\\img_next.bmp",
    "..\\default\\img_prec.bmp", "..\\default\\img_rep.bmp",   "..\\default\\img_liste.bmp",
    "..\\default\\img_E.bmp",    "..\\default\\img_O.bmp"};

ColourValue Colour(const IniFile& ini, const char* section, const char* key, ColourValue def) {
  return static_cast<ColourValue>(ini.ReadInteger(section, key, static_cast<std::int32_t>(def)));
}

int Integer(const IniFile& ini, const char* section, const std::string& key, int def, int low, int high) {
  return std::clamp<int>(ini.ReadInteger(section, key, def), low, high);
}

std::optional<int> Split(const IniFile& ini, const char* section, const char* key) {
  const auto value = ParseInt32(ini.ReadString(section, key, ""));
  if (!value) return std::nullopt;
  return std::clamp<int>(*value, -1, kMaxSize);
}

Background ReadBackground(const IniFile& ini, const char* section) {
  Background back;
  back.BitmapFile = ini.ReadString(section, "Backgroundbmpfile", back.BitmapFile);
  back.TransparentActivate = ini.ReadBool(section, "TransparentActivate", false);
  back.TransparentColor = Colour(ini, section, "TransparentColor", back.TransparentColor);
  back.DuplicateW = Split(ini, section, "DuplicateW");
  back.DuplicateH = Split(ini, section, "DuplicateH");
  return back;
}

// One font value: USERFONT (player only) over FONT over the given default.
struct FontReader {
  const IniFile& ini;
  bool user;
  std::string Name(const char* key, const std::string& def) const {
    const std::string font = ini.ReadString("FONT", key, def);
    return user ? ini.ReadString("USERFONT", key, font) : font;
  }
  int Size(const char* key, int def) const {
    // Each layer's unreadable or absurd value falls back to the layer below.
    auto sane = [](std::int32_t v, int d) { return v >= kMinFontSize && v <= kMaxFontSize ? v : d; };
    const int font = sane(ini.ReadInteger("FONT", key, def), def);
    return user ? sane(ini.ReadInteger("USERFONT", key, font), font) : font;
  }
  bool Flag(const char* key, bool def) const {
    const bool font = ini.ReadBool("FONT", key, def);
    return user ? ini.ReadBool("USERFONT", key, font) : font;
  }
};

}  // namespace

const char* ControlPrefix(ControlId id) { return kControls[static_cast<int>(id)].prefix; }
bool IsBar(ControlId id) { return kControls[static_cast<int>(id)].bar; }
const char* ButtonPictureKey(ButtonPicture picture) { return kButtonKeys[static_cast<int>(picture)]; }

Skin DefaultSkin(Program program) { return ReadSkin(IniFile("skin.ini", ""), program); }

Skin ReadSkin(const IniFile& ini, Program program) {
  Skin skin;
  skin.SkinName = ini.ReadString("FOND", "SkinName", program == Program::Editor ? "Enter a skin name" : "");
  skin.Back = ReadBackground(ini, "FOND");

  skin.ColorBackGround = Colour(ini, "COLOR", "ColorBackGround", skin.ColorBackGround);
  skin.ClFondRep = Colour(ini, "COLOR", "ClFondRep", skin.ClFondRep);
  skin.ClTexteRep = Colour(ini, "COLOR", "ClTexteRep", skin.ClTexteRep);
  skin.ClSurvolRep = Colour(ini, "COLOR", "ClSurvolRep", skin.ClSurvolRep);
  skin.ClFondListe = Colour(ini, "COLOR", "ClFondListe", skin.ClFondListe);
  skin.ClTexteListe = Colour(ini, "COLOR", "ClTexteListe", skin.ClTexteListe);
  skin.ClPlayingListe = Colour(ini, "COLOR", "ClPlayingListe", skin.ClPlayingListe);
  skin.ClSelectedListe = Colour(ini, "COLOR", "ClSelectedListe", skin.ClSelectedListe);
  skin.ColorTimeText = Colour(ini, "COLOR", "ColorTimeText", skin.ColorTimeText);
  skin.ColorFondProgress = Colour(ini, "COLOR", "ColorFondProgress", skin.ColorFondProgress);
  skin.ColorFondVolume = Colour(ini, "COLOR", "ColorFondVolume", skin.ColorFondVolume);
  skin.ColorProgress = Colour(ini, "COLOR", "ColorProgress", skin.ColorProgress);
  skin.ColorVolume = Colour(ini, "COLOR", "ColorVolume", skin.ColorVolume);

  skin.FormWidth = Integer(ini, "POSITION", "FormWidth", 300, 1, kMaxSize);
  skin.FormHeight = Integer(ini, "POSITION", "FormHeight", 380, 1, kMaxSize);
  skin.ListsLeft = Integer(ini, "POSITION", "ListsLeft", 5, -kMaxPosition, kMaxPosition);
  skin.ListsTop = Integer(ini, "POSITION", "ListsTop", 5, -kMaxPosition, kMaxPosition);
  skin.ListsWidth = Integer(ini, "POSITION", "ListsWidth", 290, 0, kMaxSize);
  skin.ListsHeight = Integer(ini, "POSITION", "ListsHeight", 340, 0, kMaxSize);

  const int dl = ini.ReadInteger("POSITION", "BouttonsLeft", 5) - 5;
  const int dw = ini.ReadInteger("POSITION", "BouttonsWidth", 290) - 290;
  const int dt = ini.ReadInteger("POSITION", "BouttonsTop", 345) - 345;
  const bool anchorBottom = ini.ReadBool("POSITION", "BouttonsAnchorBottom", true);
  for (int i = 0; i < kControlCount; ++i) {
    const ControlDefaults& d = kControls[i];
    const std::string prefix = d.prefix;
    ControlPlace& place = skin.Controls[static_cast<std::size_t>(i)];
    // The shifts come from unchecked legacy keys: clamp before adding.
    const int left = std::clamp(dl, -kMaxPosition, kMaxPosition) + d.left +
                     (d.rightShift ? std::clamp(dw, -kMaxPosition, kMaxPosition) : 0);
    place.Left = Integer(ini, "POSITION", prefix + "-Left", left, -kMaxPosition, kMaxPosition);
    place.Top = Integer(ini, "POSITION", prefix + "-Top", std::clamp(dt, -kMaxPosition, kMaxPosition) + d.top,
                        -kMaxPosition, kMaxPosition);
    if (d.bar) {
      place.Width = Integer(ini, "POSITION", prefix + "-Width", std::clamp(dw + d.width, 0, kMaxSize), 0, kMaxSize);
      place.AnchorRight = ini.ReadBool("POSITION", prefix + "-AnchorRight", true);
    }
    place.AnchorTop = ini.ReadBool("POSITION", prefix + "-AnchorTop", !anchorBottom);
    place.AnchorLeft = ini.ReadBool("POSITION", prefix + "-AnchorLeft", d.anchorLeft);
  }

  const FontReader fonts{ini, program == Program::Player};
  skin.Font.Name = fonts.Name("PoliceName", "Tahoma");
  skin.Font.Size = fonts.Size("PoliceSize", 8);
  skin.Font.Bold = fonts.Flag("PoliceBold", true);
  skin.Font.Italic = fonts.Flag("PoliceItalic", false);
  skin.BalloonFont.Name = fonts.Name("BalloonPoliceName", skin.Font.Name);
  skin.BalloonFont.Size = fonts.Size("BalloonPoliceSize", skin.Font.Size);
  skin.BalloonFont.Bold = fonts.Flag("BalloonPoliceBold", skin.Font.Bold);
  skin.BalloonFont.Italic = fonts.Flag("BalloonPoliceItalic", skin.Font.Italic);

  for (int i = 0; i < kButtonPictureCount; ++i)
    skin.Buttons[static_cast<std::size_t>(i)] = ini.ReadString("BUTTON", kButtonKeys[i], kButtonFiles[i]);

  BubbleSkin& bubble = skin.Bubble;
  bubble.Back = ReadBackground(ini, "INFOBULLE");
  bubble.ColorBackGround = Colour(ini, "INFOBULLE", "ColorBackGround", bubble.ColorBackGround);
  bubble.ColorText = Colour(ini, "INFOBULLE", "ColorText", bubble.ColorText);
  bubble.TextLeftDistance = Integer(ini, "INFOBULLE", "TextLeftDistance", 5, 0, kMaxMargin);
  bubble.TextTopDistance = Integer(ini, "INFOBULLE", "TextTopDistance", 5, 0, kMaxMargin);
  bubble.TextRightDistance = Integer(ini, "INFOBULLE", "TextRightDistance", 5, 0, kMaxMargin);
  bubble.TextBottomDistance = Integer(ini, "INFOBULLE", "TextBottomDistance", 5, 0, kMaxMargin);
  return skin;
}

}  // namespace sv::skin
