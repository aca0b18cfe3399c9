#include "skin/SkinDocument.h"

#include "base/IniFile.h"
#include "base/Numbers.h"
#include "skin/SkinColours.h"

namespace sv::skin {

namespace {

struct FieldRow {
  FieldInfo info;
  const char* editorDefault;  // colours and flags as they are written
  int low;                    // the range the player accepts (numbers)
  int high;
};

// In the order of Field.
constexpr FieldRow kFields[kFieldCount] = {
    {{"FOND", "SkinName", FieldKind::Text, "Skin Name"}, "Enter a skin name", 0, 0},
    {{"FOND", "Backgroundbmpfile", FieldKind::Path, "Background bmp file"}, "no-back.bmp", 0, 0},
    {{"COLOR", "ColorBackGround", FieldKind::Colour, "Background color"}, "$C8D0D4", 0, 0},
    {{"FOND", "TransparentActivate", FieldKind::Flag, "Transparency activated"}, "0", 0, 0},
    {{"FOND", "TransparentColor", FieldKind::Colour, "Transparency color"}, "$FF00FF", 0, 0},
    {{"FOND", "DuplicateW", FieldKind::Split, "Duplicated Column"}, "", -1, kMaxSize},
    {{"FOND", "DuplicateH", FieldKind::Split, "Duplicated Line"}, "", -1, kMaxSize},
    {{"POSITION", "FormWidth", FieldKind::Number, "Skin Width"}, "300", 1, kMaxSize},
    {{"POSITION", "FormHeight", FieldKind::Number, "Skin Height"}, "380", 1, kMaxSize},
    {{"POSITION", "ListsLeft", FieldKind::Number, "Lists panel Left"}, "5", -kMaxPosition, kMaxPosition},
    {{"POSITION", "ListsTop", FieldKind::Number, "Lists panel Top"}, "5", -kMaxPosition, kMaxPosition},
    {{"POSITION", "ListsWidth", FieldKind::Number, "Lists panel Width"}, "290", 0, kMaxSize},
    // The player's own default: a file saved without the key changes nothing.
    {{"POSITION", "ListsHeight", FieldKind::Number, "Lists panel Height"}, "340", 0, kMaxSize},
    {{"FONT", "PoliceName", FieldKind::Text, "Global Font"}, "Tahoma", 0, 0},
    {{"FONT", "PoliceSize", FieldKind::Number, "Global Font size"}, "8", kMinFontSize, kMaxFontSize},
    {{"FONT", "PoliceBold", FieldKind::Flag, "Global Font bold"}, "1", 0, 0},
    {{"FONT", "PoliceItalic", FieldKind::Flag, "Global Font italic"}, "0", 0, 0},
    {{"COLOR", "ClFondRep", FieldKind::Colour, "Folders treeview Background color"}, "$EEEEEE", 0, 0},
    {{"COLOR", "ClTexteRep", FieldKind::Colour, "Folders treeview Text color"}, "$555555", 0, 0},
    {{"COLOR", "ClSurvolRep", FieldKind::Colour, "Folders treeview Selected text color"}, "$000080", 0, 0},
    {{"COLOR", "ClFondListe", FieldKind::Colour, "Playlist Background color"}, "$EEEEEE", 0, 0},
    {{"COLOR", "ClTexteListe", FieldKind::Colour, "Playlist Text color"}, "$555555", 0, 0},
    {{"COLOR", "ClPlayingListe", FieldKind::Colour, "Playlist Playing text color"}, "$000080", 0, 0},
    {{"COLOR", "ClSelectedListe", FieldKind::Colour, "Playlist Selected background color"}, "$FFFFFF", 0, 0},
    {{"COLOR", "ColorTimeText", FieldKind::Colour, "Text time color"}, "$000000", 0, 0},
    {{"COLOR", "ColorFondProgress", FieldKind::Colour, "Progress background color"}, "$555555", 0, 0},
    {{"COLOR", "ColorFondVolume", FieldKind::Colour, "Volume background color"}, "$555555", 0, 0},
    {{"COLOR", "ColorProgress", FieldKind::Colour, "Progress bar color"}, "$EEEEEE", 0, 0},
    {{"COLOR", "ColorVolume", FieldKind::Colour, "Volume bar color"}, "$EEEEEE", 0, 0},
    {{"BUTTON", "PlayBmpFile", FieldKind::Path, "Play button"}, "..\\default\\img_play.bmp", 0, 0},
    {{"BUTTON", "PauseBmpFile", FieldKind::Path, "Pause button"}, "..\\default\\img_pause.bmp", 0, 0},
    {{"BUTTON", "NextBmpFile", FieldKind::Path, "Next button"}, "..\\default\\img_next.bmp", 0, 0},
    {{"BUTTON", "PrevBmpFile", FieldKind::Path, "Previous button"}, "..\\default\\img_prec.bmp", 0, 0},
    {{"BUTTON", "RepBmpFile", FieldKind::Path, "Folders button"}, "..\\default\\img_rep.bmp", 0, 0},
    {{"BUTTON", "ListeBmpFile", FieldKind::Path, "Playlist button"}, "..\\default\\img_liste.bmp", 0, 0},
    {{"BUTTON", "EqualizerBmpFile", FieldKind::Path, "Equalizer button"}, "..\\default\\img_E.bmp", 0, 0},
    {{"BUTTON", "OptionsBmpFile", FieldKind::Path, "Options button"}, "..\\default\\img_O.bmp", 0, 0},
    {{"INFOBULLE", "Backgroundbmpfile", FieldKind::Path, "Balloon Background bmp file"}, "no-back.bmp", 0, 0},
    {{"INFOBULLE", "ColorBackGround", FieldKind::Colour, "Balloon Background color"}, "$EEEEEE", 0, 0},
    {{"INFOBULLE", "ColorText", FieldKind::Colour, "Balloon Text color"}, "$555555", 0, 0},
    {{"INFOBULLE", "TransparentActivate", FieldKind::Flag, "Balloon Transparency activated"}, "0", 0, 0},
    {{"INFOBULLE", "TransparentColor", FieldKind::Colour, "Balloon Transparency color"}, "$FF00FF", 0, 0},
    {{"INFOBULLE", "DuplicateW", FieldKind::Split, "Balloon Duplicated Column"}, "", -1, kMaxSize},
    {{"INFOBULLE", "DuplicateH", FieldKind::Split, "Balloon Duplicated Line"}, "", -1, kMaxSize},
    {{"INFOBULLE", "TextLeftDistance", FieldKind::Number, "Text Left distance"}, "5", 0, kMaxMargin},
    {{"INFOBULLE", "TextTopDistance", FieldKind::Number, "Text Top distance"}, "5", 0, kMaxMargin},
    {{"INFOBULLE", "TextRightDistance", FieldKind::Number, "Text Right distance"}, "5", 0, kMaxMargin},
    {{"INFOBULLE", "TextBottomDistance", FieldKind::Number, "Text Bottom distance"}, "5", 0, kMaxMargin},
    {{"FONT", "BalloonPoliceName", FieldKind::Text, "Balloon Hint Font"}, "Tahoma", 0, 0},
    {{"FONT", "BalloonPoliceSize", FieldKind::Number, "Balloon Hint Font size"}, "8", kMinFontSize, kMaxFontSize},
    {{"FONT", "BalloonPoliceBold", FieldKind::Flag, "Balloon Hint Font bold"}, "1", 0, 0},
    {{"FONT", "BalloonPoliceItalic", FieldKind::Flag, "Balloon Hint Font italic"}, "0", 0, 0},
};

constexpr Field kBalloonFrom[][2] = {{Field::BalloonPoliceName, Field::PoliceName},
                                     {Field::BalloonPoliceSize, Field::PoliceSize},
                                     {Field::BalloonPoliceBold, Field::PoliceBold},
                                     {Field::BalloonPoliceItalic, Field::PoliceItalic}};

const FieldRow& Row(Field field) { return kFields[static_cast<int>(field)]; }

std::string Text(int value) { return std::to_string(value); }
std::string Text(bool value) { return value ? "1" : "0"; }

// Keys, values and order exactly as the file will hold them; the caller
// brackets the writes in one update.
void WriteAll(IniFile& ini, const SkinDocument& document) {
  ini.EraseSection("USERFONT");
  auto field = [&](Field f) { ini.WriteString(Row(f).info.Section, Row(f).info.Key, document.Text(f)); };
  for (int i = 0; i <= static_cast<int>(Field::OptionsBmpFile); ++i) field(static_cast<Field>(i));
  for (int i = 0; i < kControlCount; ++i) {
    const auto id = static_cast<ControlId>(i);
    const std::string prefix = ControlPrefix(id);
    const ControlPlace& place = document.Place(id);
    ini.WriteString("POSITION", prefix + "-Left", Text(place.Left));
    ini.WriteString("POSITION", prefix + "-Top", Text(place.Top));
    if (IsBar(id)) {
      ini.WriteString("POSITION", prefix + "-Width", Text(place.Width));
      ini.WriteString("POSITION", prefix + "-AnchorRight", Text(place.AnchorRight));
    }
    ini.WriteString("POSITION", prefix + "-AnchorTop", Text(place.AnchorTop));
    ini.WriteString("POSITION", prefix + "-AnchorLeft", Text(place.AnchorLeft));
  }
  for (int i = static_cast<int>(Field::BubbleBackgroundbmpfile); i < kFieldCount; ++i) field(static_cast<Field>(i));
}

}  // namespace

const FieldInfo& InfoOf(Field field) { return Row(field).info; }

SkinDocument::SkinDocument() {
  for (int i = 0; i < kFieldCount; ++i) values_[static_cast<std::size_t>(i)] = kFields[i].editorDefault;
  Controls = DefaultSkin(Program::Editor).Controls;
}

ColourValue SkinDocument::Colour(Field field) const {
  const auto value = ParseInt32(Text(field));
  return static_cast<ColourValue>(value.value_or(ParseInt32(Row(field).editorDefault).value_or(0)));
}

void SkinDocument::SetColour(Field field, ColourValue value) { SetText(field, ColourText(value)); }

Skin SkinDocument::PlayerSkin() const {
  IniFile copy("skin.ini", "");
  // Never saved: the update stays open.
  copy.BeginUpdate();
  WriteAll(copy, *this);
  return ReadSkin(copy, Program::Player);
}

std::vector<Field> SkinDocument::UnusableNumbers() const {
  std::vector<Field> unusable;
  for (int i = 0; i < kFieldCount; ++i) {
    const FieldRow& row = kFields[i];
    if (row.info.Kind != FieldKind::Number && row.info.Kind != FieldKind::Split) continue;
    const std::string& text = values_[static_cast<std::size_t>(i)];
    if (row.info.Kind == FieldKind::Split && text.find_first_not_of(" \t") == std::string::npos) continue;
    const auto value = ParseInt32(text);
    if (!value || *value < row.low || *value > row.high) unusable.push_back(static_cast<Field>(i));
  }
  return unusable;
}

SkinDocument ReadDocument(const IniFile& ini) {
  SkinDocument document;
  for (int i = 0; i < kFieldCount; ++i) {
    const auto field = static_cast<Field>(i);
    const FieldRow& row = kFields[i];
    std::string def = row.editorDefault;
    for (const auto& [balloon, main] : kBalloonFrom)
      if (field == balloon) def = document.Text(main);
    switch (row.info.Kind) {
      case FieldKind::Colour:
        document.SetColour(field, static_cast<ColourValue>(
                                      ini.ReadInteger(row.info.Section, row.info.Key, *ParseInt32(row.editorDefault))));
        break;
      case FieldKind::Flag:
        document.SetFlag(field, ini.ReadBool(row.info.Section, row.info.Key, def == "1"));
        break;
      default:
        document.SetText(field, ini.ReadString(row.info.Section, row.info.Key, def));
        break;
    }
  }
  document.Controls = ReadSkin(ini, Program::Editor).Controls;
  return document;
}

void WriteDocument(IniFile& ini, const SkinDocument& document) {
  ini.BeginUpdate();
  WriteAll(ini, document);
  ini.EndUpdate();
}

}  // namespace sv::skin
