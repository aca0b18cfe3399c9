#pragma once
// What the skin editor edits: every value of skin.ini as its control holds
// it (texts and numbers exactly as typed, colours as stored values, flags)
// and the ten controls' design-time places. Read with the editor's
// defaults, written in the editor's key order, and turned into the skin the
// player will show for it, so the preview never guesses.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinFormat.h"

namespace sv {
class IniFile;
}

namespace sv::skin {

// Every key the editor writes except the per-control ones, in its write
// order (the per-control keys go between the button pictures and the
// bubble's keys).
enum class Field {
  SkinName, Backgroundbmpfile, ColorBackGround, TransparentActivate, TransparentColor, DuplicateW, DuplicateH,
  FormWidth, FormHeight, ListsLeft, ListsTop, ListsWidth, ListsHeight,
  PoliceName, PoliceSize, PoliceBold, PoliceItalic,
  ClFondRep, ClTexteRep, ClSurvolRep, ClFondListe, ClTexteListe, ClPlayingListe, ClSelectedListe, ColorTimeText,
  ColorFondProgress, ColorFondVolume, ColorProgress, ColorVolume,
  PlayBmpFile, PauseBmpFile, NextBmpFile, PrevBmpFile, RepBmpFile, ListeBmpFile, EqualizerBmpFile, OptionsBmpFile,
  BubbleBackgroundbmpfile, BubbleColorBackGround, BubbleColorText, BubbleTransparentActivate, BubbleTransparentColor,
  BubbleDuplicateW, BubbleDuplicateH, TextLeftDistance, TextTopDistance, TextRightDistance, TextBottomDistance,
  BalloonPoliceName, BalloonPoliceSize, BalloonPoliceBold, BalloonPoliceItalic,
};
inline constexpr int kFieldCount = static_cast<int>(Field::BalloonPoliceItalic) + 1;

enum class FieldKind { Text, Path, Number, Split, Colour, Flag };

struct FieldInfo {
  const char* Section;
  const char* Key;
  FieldKind Kind;
  const char* Caption;  // the editing control's caption, for messages
};
const FieldInfo& InfoOf(Field field);

class SkinDocument {
 public:
  // An empty skin.ini as the editor shows it.
  SkinDocument();

  const std::string& Text(Field field) const { return values_[Index(field)]; }
  void SetText(Field field, std::string text) { values_[Index(field)] = std::move(text); }
  ColourValue Colour(Field field) const;
  void SetColour(Field field, ColourValue value);
  bool Flag(Field field) const { return Text(field) == "1"; }
  void SetFlag(Field field, bool on) { SetText(field, on ? "1" : "0"); }

  // Design-time places: the preview is laid out from these, the save
  // writes them; nothing measured on screen flows back.
  std::array<ControlPlace, kControlCount> Controls{};
  const ControlPlace& Place(ControlId id) const { return Controls[static_cast<std::size_t>(id)]; }
  ControlPlace& Place(ControlId id) { return Controls[static_cast<std::size_t>(id)]; }

  // The skin the player reads from the file this document saves.
  Skin PlayerSkin() const;

  // Number fields whose text the player cannot use and replaces by its
  // default (not a number, or outside the range it accepts); an empty
  // repeated column or row is the documented "half" and not listed.
  std::vector<Field> UnusableNumbers() const;

 private:
  static std::size_t Index(Field field) { return static_cast<std::size_t>(field); }
  std::array<std::string, kFieldCount> values_;
};

// Every key with the editor's defaults; the controls' places as the player
// computes them, the legacy block keys included; the balloon font defaults
// from the main font just read.
SkinDocument ReadDocument(const IniFile& ini);

// Erases USERFONT, then writes every key in the editor's order, texts as
// they stand; one replace of the file. Raises IniWriteError.
void WriteDocument(IniFile& ini, const SkinDocument& document);

}  // namespace sv::skin
