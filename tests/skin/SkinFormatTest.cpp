// skin.ini read with each program's defaults, and written in the editor's
// order.
#include <gtest/gtest.h>

#include <string>

#include "base/IniFile.h"
#include "skin/SkinColours.h"
#include "skin/SkinDocument.h"
#include "skin/SkinFormat.h"
#include "skin/SkinPaths.h"

namespace sv::skin {
namespace {

Skin Read(const std::string& text, Program program = Program::Player) {
  return ReadSkin(IniFile("skin.ini", text), program);
}

TEST(SkinFormat, AnEmptyFileGivesEachProgramsDefaults) {
  const Skin player = Read("");
  const Skin editor = Read("", Program::Editor);
  EXPECT_EQ(player.SkinName, "");
  EXPECT_EQ(editor.SkinName, "Enter a skin name");
  EXPECT_EQ(player.ListsHeight, 340);
  EXPECT_EQ(editor.ListsHeight, 340) << "the editor takes the player's default";
  for (const Skin* skin : {&player, &editor}) {
    EXPECT_EQ(skin->Back.BitmapFile, "no-back.bmp");
    EXPECT_FALSE(skin->Back.TransparentActivate);
    EXPECT_EQ(skin->Back.TransparentColor, 0xFF00FFu);
    EXPECT_FALSE(skin->Back.DuplicateW.has_value());
    EXPECT_EQ(skin->ColorBackGround, 13160660u);
    EXPECT_EQ(skin->ClSurvolRep, 128u);
    EXPECT_EQ(skin->ClSelectedListe, 0xFFFFFFu);
    EXPECT_EQ(skin->ColorTimeText, 0u);
    EXPECT_EQ(skin->FormWidth, 300);
    EXPECT_EQ(skin->FormHeight, 380);
    EXPECT_EQ(skin->ListsLeft, 5);
    EXPECT_EQ(skin->ListsWidth, 290);
    EXPECT_EQ(skin->Font.Name, "Tahoma");
    EXPECT_EQ(skin->Font.Size, 8);
    EXPECT_TRUE(skin->Font.Bold);
    EXPECT_FALSE(skin->Font.Italic);
    EXPECT_EQ(skin->BalloonFont.Name, "Tahoma");
    EXPECT_EQ(skin->Button(ButtonPicture::Play), "..\\default\\img_play.bmp");
    EXPECT_EQ(skin->Button(ButtonPicture::Options), "..\\default\\img_O.bmp");
    EXPECT_EQ(skin->Bubble.ColorBackGround, 0xEEEEEEu);
    EXPECT_EQ(skin->Bubble.TextBottomDistance, 5);
  }
}

struct PlaceCase {
  ControlId id;
  int left, top, width;
  bool anchorLeft;
};

TEST(SkinFormat, ControlDefaultsFollowTheLegacyBlockKeys) {
  const PlaceCase plain[] = {
      {ControlId::BtnEgaliseur, 8, 349, 0, true}, {ControlId::BtnOptions, 8, 361, 0, true},
      {ControlId::BtnRep, 18, 349, 0, true},      {ControlId::BtnListe, 56, 349, 0, true},
      {ControlId::LabelTemps, 91, 360, 0, true},  {ControlId::BarPos, 94, 350, 119, true},
      {ControlId::BarVol, 147, 362, 66, true},    {ControlId::BtnPrev, 216, 349, 0, false},
      {ControlId::BtnPlay, 241, 349, 0, false},   {ControlId::BtnNext, 266, 349, 0, false},
  };
  const Skin skin = Read("");
  // dl = 10, dw = -40, dt = -45, and the block tied to the top.
  const Skin moved =
      Read("[POSITION]\nBouttonsLeft=15\nBouttonsWidth=250\nBouttonsTop=300\nBouttonsAnchorBottom=0\n");
  for (const PlaceCase& c : plain) {
    SCOPED_TRACE(ControlPrefix(c.id));
    const ControlPlace& place = skin.Place(c.id);
    EXPECT_EQ(place.Left, c.left);
    EXPECT_EQ(place.Top, c.top);
    EXPECT_EQ(place.Width, c.width);
    EXPECT_EQ(place.AnchorLeft, c.anchorLeft);
    EXPECT_FALSE(place.AnchorTop);
    EXPECT_TRUE(place.AnchorRight);
    const ControlPlace& shifted = moved.Place(c.id);
    EXPECT_EQ(shifted.Left, c.left + 10 + (c.anchorLeft ? 0 : -40));
    EXPECT_EQ(shifted.Top, c.top - 45);
    EXPECT_EQ(shifted.Width, c.width == 0 ? 0 : c.width - 40);
    EXPECT_TRUE(shifted.AnchorTop);
  }
  // Explicit keys win over the shifted defaults.
  const Skin own = Read("[POSITION]\nBouttonsTop=300\nBtnPlay-Top=7\nBtnPlay-AnchorLeft=1\nBarVol-AnchorRight=0\n");
  EXPECT_EQ(own.Place(ControlId::BtnPlay).Top, 7);
  EXPECT_TRUE(own.Place(ControlId::BtnPlay).AnchorLeft);
  EXPECT_FALSE(own.Place(ControlId::BarVol).AnchorRight);
  EXPECT_EQ(own.Place(ControlId::BtnNext).Top, 304);
}

TEST(SkinFormat, ColourFormsAndHostileNumbers) {
  struct Case {
    const char* value;
    std::uint32_t colour;  // ColorBackGround read
  } colours[] = {
      {"$C8D0D4", 0xC8D0D4}, {"13160660", 0xC8D0D4}, {"0xC8D0D4", 0xC8D0D4}, {"C8D0D4", 0xC8D0D4},
      {"", 0xC8D0D4},        {"$8000000F", 0x8000000F}, {"$FF", 0xFF},       {"-1", 0xFFFFFFFF},
      {"abc", 0xC8D0D4},     {"99999999999", 0xC8D0D4},
  };
  for (const Case& c : colours) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(Read(std::string("[COLOR]\nColorBackGround=") + c.value + "\n").ColorBackGround, c.colour);
  }
  struct Size {
    const char* text;
    int width;  // FormWidth
    int font;   // PoliceSize
    int margin; // TextLeftDistance
  } sizes[] = {
      {"0", 1, 8, 0},           {"1000000000", 16384, 8, 4096}, {"abc", 300, 8, 5},
      {"-20", 1, 8, 0},         {"400", 400, 8, 400},           {"72", 72, 72, 72},
      {"5000", 5000, 8, 4096},  {"$10", 16, 16, 16},
  };
  for (const Size& s : sizes) {
    SCOPED_TRACE(s.text);
    const std::string v = s.text;
    const Skin skin = Read("[POSITION]\nFormWidth=" + v + "\n[FONT]\nPoliceSize=" + v +
                           "\n[INFOBULLE]\nTextLeftDistance=" + v + "\n");
    EXPECT_EQ(skin.FormWidth, s.width);
    EXPECT_EQ(skin.Font.Size, s.font);
    EXPECT_EQ(skin.Bubble.TextLeftDistance, s.margin);
  }
  const Skin splits = Read("[FOND]\nDuplicateW=\nDuplicateH=0\n[INFOBULLE]\nDuplicateW=abc\nDuplicateH=12\n");
  EXPECT_FALSE(splits.Back.DuplicateW.has_value());
  EXPECT_EQ(splits.Back.DuplicateH, 0);
  EXPECT_FALSE(splits.Bubble.Back.DuplicateW.has_value());
  EXPECT_EQ(splits.Bubble.Back.DuplicateH, 12);
  EXPECT_TRUE(Read("[FOND]\nTransparentActivate=7\n").Back.TransparentActivate);
  EXPECT_FALSE(Read("[FOND]\nTransparentActivate=yes\n").Back.TransparentActivate);
}

TEST(SkinFormat, UserFontOverridesFontKeyByKeyInThePlayerOnly) {
  const std::string text =
      "[FONT]\nPoliceName=Verdana\nPoliceSize=10\nPoliceBold=0\nPoliceItalic=1\n"
      "[USERFONT]\nPoliceName=Arial\n";
  const Skin player = Read(text);
  EXPECT_EQ(player.Font.Name, "Arial");
  EXPECT_EQ(player.Font.Size, 10);
  EXPECT_FALSE(player.Font.Bold);
  EXPECT_TRUE(player.Font.Italic);
  EXPECT_EQ(player.BalloonFont.Name, "Arial");
  EXPECT_EQ(Read(text, Program::Editor).Font.Name, "Verdana");

  const Skin sizeOnly = Read("[USERFONT]\nPoliceSize=12\n[FONT]\nBalloonPoliceSize=9\n");
  EXPECT_EQ(sizeOnly.Font.Size, 12);
  EXPECT_EQ(sizeOnly.Font.Name, "Tahoma");
  EXPECT_TRUE(sizeOnly.Font.Bold);
  EXPECT_EQ(sizeOnly.BalloonFont.Size, 9);
  EXPECT_EQ(sizeOnly.BalloonFont.Name, "Tahoma");
  // A typed size that is no size falls back to the FONT value, not to 8.
  EXPECT_EQ(Read("[FONT]\nPoliceSize=11\n[USERFONT]\nPoliceSize=abc\n").Font.Size, 11);
  EXPECT_EQ(Read("[FONT]\nPoliceSize=11\n[USERFONT]\nPoliceSize=-3\n").Font.Size, 11);
}

TEST(SkinFormat, ColourTextKeepsSystemColours) {
  EXPECT_EQ(ColourText(0xC8D0D4), "$C8D0D4");
  EXPECT_EQ(ColourText(0), "$000000");
  EXPECT_EQ(ColourText(128), "$000080");
  EXPECT_EQ(ColourText(0x8000000F), "$8000000F");
  EXPECT_EQ(ColourText(0xFFFFFFFF), "$FFFFFFFF");
  EXPECT_EQ(ShowColour(0x123456, 7).Rgb, 0x123456u);
  EXPECT_EQ(ShowColour(0x8000000F, 7).SystemIndex, 15);
  EXPECT_FALSE(ShowColour(0x8000001F, 7).SystemIndex.has_value());
  EXPECT_EQ(ShowColour(0x8000001F, 7).Rgb, 7u);
  EXPECT_EQ(ShowColour(0x01000000, 7).Rgb, 7u);
}

TEST(SkinFormat, TheEditorsSaveWritesEveryKeyInItsOrderAndKeepsTheRest) {
  // Updates that are never ended stay in memory: nothing goes to disk.
  IniFile ini("skin.ini", "");
  ini.BeginUpdate();
  WriteDocument(ini, SkinDocument());
  const std::string text = ini.Contents();
  const std::string expectedStart =
      "[FOND]\r\nSkinName=Enter a skin name\r\nBackgroundbmpfile=no-back.bmp\r\nTransparentActivate=0\r\n"
      "TransparentColor=$FF00FF\r\nDuplicateW=\r\nDuplicateH=\r\n[COLOR]\r\nColorBackGround=$C8D0D4\r\n"
      "ClFondRep=$EEEEEE\r\n";
  EXPECT_EQ(text.substr(0, expectedStart.size()), expectedStart);
  const char* order[] = {"[FOND]",           "[COLOR]",         "[POSITION]",        "FormWidth=300",
                         "ListsHeight=340",  "BtnEgaliseur-Left=8", "BarPos-Width=119", "BarPos-AnchorRight=1",
                         "BarPos-AnchorTop=0", "BtnNext-AnchorLeft=0", "[FONT]", "PoliceName=Tahoma",
                         "BalloonPoliceName=Tahoma", "[BUTTON]", "PlayBmpFile=..\\default\\img_play.bmp",
                         "OptionsBmpFile=..\\default\\img_O.bmp", "[INFOBULLE]", "TextBottomDistance=5"};
  std::size_t at = 0;
  for (const char* piece : order) {
    SCOPED_TRACE(piece);
    const std::size_t found = piece[0] == '[' ? text.find(piece) : text.find(piece, at);
    ASSERT_NE(found, std::string::npos);
    if (piece[0] != '[') at = found;
  }
  // The sections come in the order their keys are first written.
  EXPECT_LT(text.find("[POSITION]"), text.find("[FONT]"));
  EXPECT_LT(text.find("[FONT]"), text.find("[BUTTON]"));
  EXPECT_LT(text.find("[BUTTON]"), text.find("[INFOBULLE]"));
  EXPECT_EQ(text.find("Bouttons"), std::string::npos);

  // Open and save: USERFONT goes, unknown keys and comments stay, decimal
  // colours become "$", system colours stay, per-control values unchanged.
  IniFile edited("skin.ini",
                 "; my skin\r\n[COLOR]\r\nColorBackGround=13160660\r\nClFondRep=$8000000F\r\nMine=keep\r\n"
                 "[USERFONT]\r\nPoliceName=Arial\r\n[POSITION]\r\nBouttonsTop=300\r\nBtnPlay-Left=250\r\n");
  edited.BeginUpdate();
  const Skin read = ReadSkin(edited, Program::Editor);
  WriteDocument(edited, ReadDocument(edited));
  const std::string saved = edited.Contents();
  EXPECT_EQ(saved.rfind("; my skin\r\n[COLOR]\r\nColorBackGround=$C8D0D4\r\nClFondRep=$8000000F\r\nMine=keep\r\n", 0),
            0u)
      << saved;
  EXPECT_EQ(saved.find("USERFONT"), std::string::npos);
  EXPECT_NE(saved.find("BouttonsTop=300\r\nBtnPlay-Left=250\r\n"), std::string::npos);
  const Skin again = ReadSkin(IniFile("skin.ini", saved), Program::Editor);
  for (int i = 0; i < kControlCount; ++i) {
    EXPECT_EQ(again.Controls[static_cast<std::size_t>(i)].Left, read.Controls[static_cast<std::size_t>(i)].Left);
    EXPECT_EQ(again.Controls[static_cast<std::size_t>(i)].Top, read.Controls[static_cast<std::size_t>(i)].Top);
  }
  // Saving again changes nothing.
  WriteDocument(edited, ReadDocument(IniFile("skin.ini", saved)));
  EXPECT_EQ(edited.Contents(), saved);
}

TEST(SkinPaths, RelativeAbsoluteAndOtherDrives) {
  struct Case {
    const char* value;
    const char* resolved;
  } cases[] = {
      {"back.bmp", "C:\\P\\skin\\blue\\back.bmp"},
      {"..\\default\\img_play.bmp", "C:\\P\\skin\\blue\\..\\default\\img_play.bmp"},
      {"art\\b.bmp", "C:\\P\\skin\\blue\\art\\b.bmp"},
      {"D:\\art\\b.bmp", "D:\\art\\b.bmp"},
      {"d:/art/b.bmp", "d:/art/b.bmp"},
      {"\\\\server\\share\\b.bmp", "\\\\server\\share\\b.bmp"},
      {"\\b.bmp", "C:\\P\\skin\\blue\\\\b.bmp"},
      {"", "C:\\P\\skin\\blue\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(ResolveSkinPath("C:\\P\\skin\\blue\\", c.value), c.resolved);
  }
  EXPECT_EQ(ResolveSkinPath("C:\\P\\skin\\blue", "x.bmp"), "C:\\P\\skin\\blue\\x.bmp");
  EXPECT_EQ(RelativeSkinPath("C:\\P\\skin\\blue\\", "C:\\P\\skin\\blue\\back.bmp"), "back.bmp");
  EXPECT_EQ(RelativeSkinPath("C:\\P\\skin\\blue\\", "c:\\p\\SKIN\\default\\img_E.bmp"), "..\\default\\img_E.bmp");
  EXPECT_EQ(RelativeSkinPath("C:\\P\\skin\\blue\\", "C:\\P\\skin\\blue\\art\\b.bmp"), "art\\b.bmp");
  EXPECT_EQ(RelativeSkinPath("C:\\P\\skin\\blue\\", "Z:\\tmp\\b.bmp"), "Z:\\tmp\\b.bmp");
  // A value made for another drive resolves to that drive.
  EXPECT_EQ(ResolveSkinPath("C:\\P\\skin\\blue\\", RelativeSkinPath("C:\\P\\skin\\blue\\", "Z:\\tmp\\b.bmp")),
            "Z:\\tmp\\b.bmp");
}

}  // namespace
}  // namespace sv::skin
