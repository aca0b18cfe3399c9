#pragma once
// The contents of a skin folder's skin.ini: the player's main window and
// info bubble look, read with either program's defaults (the player's, or
// the skin editor's). Values
// that are not numbers, or absurd ones, read as the reading program's
// default or are clamped into a range the painters can use.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace sv {
class IniFile;
}

namespace sv::skin {

// The program whose defaults a read applies where the two differ.
enum class Program { Player, Editor };

// Windows colour values as stored (0x00BBGGRR, or a system colour with the
// high bit set): kept as read, so a save writes them back unchanged.
using ColourValue = std::uint32_t;

// The ten placed controls, in the order their keys are listed.
enum class ControlId { BtnEgaliseur, BtnOptions, BtnRep, BtnListe, LabelTemps, BarPos, BarVol, BtnPrev, BtnPlay, BtnNext };
inline constexpr int kControlCount = 10;
// The key prefix of a control ("BtnPlay").
const char* ControlPrefix(ControlId id);
bool IsBar(ControlId id);

struct ControlPlace {
  int Left = 0;
  int Top = 0;
  int Width = 0;            // bars only
  bool AnchorTop = false;   // false: tied to the bottom edge
  bool AnchorLeft = true;   // buttons and label: false ties them to the right edge
  bool AnchorRight = true;  // bars only: with AnchorLeft the bar stretches
};

struct FontSpec {
  std::string Name = "Tahoma";
  int Size = 8;
  bool Bold = true;
  bool Italic = false;
};

// A stored font that this machine lacks is listed under its name with this
// mark, in the player's font choice and in the editor alike, and written
// back under its name alone.
inline constexpr char kMissingFontMark[] = " (?)";

// A background: bitmap path as stored (relative to the skin folder) and its
// repeated column and row; nothing stored means half the bitmap's size.
struct Background {
  std::string BitmapFile = "no-back.bmp";
  bool TransparentActivate = false;
  ColourValue TransparentColor = 0xFF00FF;
  std::optional<int> DuplicateW;
  std::optional<int> DuplicateH;
};

struct BubbleSkin {
  Background Back;
  ColourValue ColorBackGround = 0xEEEEEE;
  ColourValue ColorText = 0x555555;
  int TextLeftDistance = 5;
  int TextTopDistance = 5;
  int TextRightDistance = 5;
  int TextBottomDistance = 5;
};

// The eight button pictures, in their key order.
enum class ButtonPicture { Play, Pause, Next, Prev, Rep, Liste, Equalizer, Options };
inline constexpr int kButtonPictureCount = 8;
const char* ButtonPictureKey(ButtonPicture picture);  // "PlayBmpFile"

struct Skin {
  std::string SkinName;  // empty when the file has none (the player shows the folder's name)
  Background Back;
  ColourValue ColorBackGround = 0xC8D0D4;
  ColourValue ClFondRep = 0xEEEEEE;
  ColourValue ClTexteRep = 0x555555;
  ColourValue ClSurvolRep = 0x000080;
  ColourValue ClFondListe = 0xEEEEEE;
  ColourValue ClTexteListe = 0x555555;
  ColourValue ClPlayingListe = 0x000080;
  ColourValue ClSelectedListe = 0xFFFFFF;
  ColourValue ColorTimeText = 0;
  ColourValue ColorFondProgress = 0x555555;
  ColourValue ColorFondVolume = 0x555555;
  ColourValue ColorProgress = 0xEEEEEE;
  ColourValue ColorVolume = 0xEEEEEE;

  int FormWidth = 300;
  int FormHeight = 380;
  int ListsLeft = 5;
  int ListsTop = 5;
  int ListsWidth = 290;
  int ListsHeight = 340;
  std::array<ControlPlace, kControlCount> Controls{};

  FontSpec Font;         // the player: USERFONT over FONT
  FontSpec BalloonFont;  // defaults: the resulting Font

  std::array<std::string, kButtonPictureCount> Buttons;
  BubbleSkin Bubble;

  const ControlPlace& Place(ControlId id) const { return Controls[static_cast<std::size_t>(id)]; }
  ControlPlace& Place(ControlId id) { return Controls[static_cast<std::size_t>(id)]; }
  const std::string& Button(ButtonPicture picture) const { return Buttons[static_cast<std::size_t>(picture)]; }
};

// Ranges a read clamps to, so that painting and font creation stay sane.
inline constexpr int kMaxSize = 16384;      // window and panel sizes, bar widths
inline constexpr int kMaxPosition = 16384;  // |Left|, |Top|
inline constexpr int kMaxMargin = 4096;     // bubble text margins
inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 72;

// The skin with every default of that program (an empty skin.ini).
Skin DefaultSkin(Program program);
// Reads every key; the player merges USERFONT over FONT, the editor reads
// FONT only (its save erases USERFONT). The editor's own model and its
// writer are in SkinDocument.h.
Skin ReadSkin(const IniFile& ini, Program program);

}  // namespace sv::skin
