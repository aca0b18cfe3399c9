// The editor's model of skin.ini: what it shows for a file, what it
// writes (byte for byte on an empty file), what the player makes of it and
// which typed values the player cannot use; the bubble's layout.
#include <gtest/gtest.h>

#include <string>

#include "base/IniFile.h"
#include "skin/SkinDocument.h"
#include "skin/SkinLayout.h"

namespace sv::skin {
namespace {

SkinDocument Read(const std::string& text) { return ReadDocument(IniFile("skin.ini", text)); }

std::string Saved(const std::string& before, const SkinDocument& document) {
  IniFile ini("skin.ini", before);
  // Never ended: the writes stay in memory.
  ini.BeginUpdate();
  WriteDocument(ini, document);
  return ini.Contents();
}

TEST(SkinDocument, AnEmptyFileShowsTheEditorsDefaultsAndSavesEveryKeyInOrder) {
  const SkinDocument empty = Read("");
  EXPECT_EQ(empty.Text(Field::SkinName), "Enter a skin name");
  EXPECT_EQ(empty.Text(Field::ListsHeight), "340") << "the player's default, so a save changes nothing";
  EXPECT_EQ(empty.Text(Field::DuplicateW), "");
  EXPECT_EQ(empty.Text(Field::ColorTimeText), "$000000");
  EXPECT_EQ(empty.Place(ControlId::BtnNext).Left, 266);
  const std::string expected =
      "[FOND]\r\nSkinName=Enter a skin name\r\nBackgroundbmpfile=no-back.bmp\r\nTransparentActivate=0\r\n"
      "TransparentColor=$FF00FF\r\nDuplicateW=\r\nDuplicateH=\r\n"
      "[COLOR]\r\nColorBackGround=$C8D0D4\r\nClFondRep=$EEEEEE\r\nClTexteRep=$555555\r\nClSurvolRep=$000080\r\n"
      "ClFondListe=$EEEEEE\r\nClTexteListe=$555555\r\nClPlayingListe=$000080\r\nClSelectedListe=$FFFFFF\r\n"
      "ColorTimeText=$000000\r\nColorFondProgress=$555555\r\nColorFondVolume=$555555\r\nColorProgress=$EEEEEE\r\n"
      "ColorVolume=$EEEEEE\r\n"
      "[POSITION]\r\nFormWidth=300\r\nFormHeight=380\r\nListsLeft=5\r\nListsTop=5\r\nListsWidth=290\r\n"
      "ListsHeight=340\r\n"
      "BtnEgaliseur-Left=8\r\nBtnEgaliseur-Top=349\r\nBtnEgaliseur-AnchorTop=0\r\nBtnEgaliseur-AnchorLeft=1\r\n"
      "BtnOptions-Left=8\r\nBtnOptions-Top=361\r\nBtnOptions-AnchorTop=0\r\nBtnOptions-AnchorLeft=1\r\n"
      "BtnRep-Left=18\r\nBtnRep-Top=349\r\nBtnRep-AnchorTop=0\r\nBtnRep-AnchorLeft=1\r\n"
      "BtnListe-Left=56\r\nBtnListe-Top=349\r\nBtnListe-AnchorTop=0\r\nBtnListe-AnchorLeft=1\r\n"
      "LabelTemps-Left=91\r\nLabelTemps-Top=360\r\nLabelTemps-AnchorTop=0\r\nLabelTemps-AnchorLeft=1\r\n"
      "BarPos-Left=94\r\nBarPos-Top=350\r\nBarPos-Width=119\r\nBarPos-AnchorRight=1\r\nBarPos-AnchorTop=0\r\n"
      "BarPos-AnchorLeft=1\r\n"
      "BarVol-Left=147\r\nBarVol-Top=362\r\nBarVol-Width=66\r\nBarVol-AnchorRight=1\r\nBarVol-AnchorTop=0\r\n"
      "BarVol-AnchorLeft=1\r\n"
      "BtnPrev-Left=216\r\nBtnPrev-Top=349\r\nBtnPrev-AnchorTop=0\r\nBtnPrev-AnchorLeft=0\r\n"
      "BtnPlay-Left=241\r\nBtnPlay-Top=349\r\nBtnPlay-AnchorTop=0\r\nBtnPlay-AnchorLeft=0\r\n"
      "BtnNext-Left=266\r\nBtnNext-Top=349\r\nBtnNext-AnchorTop=0\r\nBtnNext-AnchorLeft=0\r\n"
      "[FONT]\r\nPoliceName=Tahoma\r\nPoliceSize=8\r\nPoliceBold=1\r\nPoliceItalic=0\r\n"
      "BalloonPoliceName=Tahoma\r\nBalloonPoliceSize=8\r\nBalloonPoliceBold=1\r\nBalloonPoliceItalic=0\r\n"
      "[BUTTON]\r\nPlayBmpFile=..\\default\\img_play.bmp\r\nPauseBmpFile=..\\default\\img_pause.bmp\r\n"
      "NextBmpFile=..\\default\\img_next.bmp\r\nPrevBmpFile=..\\default\\img_prec.bmp\r\n"
      "RepBmpFile=..\\default\\img_rep.bmp\r\nListeBmpFile=..\\default\\img_liste.bmp\r\n"
      "EqualizerBmpFile=..\\default\\img_E.bmp\r\nOptionsBmpFile=..\\default\\img_O.bmp\r\n"
      "[INFOBULLE]\r\nBackgroundbmpfile=no-back.bmp\r\nColorBackGround=$EEEEEE\r\nColorText=$555555\r\n"
      "TransparentActivate=0\r\nTransparentColor=$FF00FF\r\nDuplicateW=\r\nDuplicateH=\r\nTextLeftDistance=5\r\n"
      "TextTopDistance=5\r\nTextRightDistance=5\r\nTextBottomDistance=5\r\n";
  EXPECT_EQ(Saved("", empty), expected);
  // The player reads back what the editor showed.
  EXPECT_EQ(ReadSkin(IniFile("skin.ini", expected), Program::Player).ListsHeight, 340);
}

TEST(SkinDocument, TextsAreKeptAsTypedAndThePlayerFallsBackWhereItMust) {
  const SkinDocument read = Read(
      "[FONT]\r\nPoliceName=No Such Font\r\nPoliceSize=abc\r\nPoliceItalic=1\r\n"
      "[POSITION]\r\nFormWidth=abc\r\nFormHeight= 200\r\n[FOND]\r\nDuplicateW=0\r\nDuplicateH=x\r\n"
      "[COLOR]\r\nColorBackGround=C8D0D4\r\nClFondRep=$8000000F\r\nClTexteRep=16777216\r\n"
      "[INFOBULLE]\r\nTextLeftDistance=1000000\r\n");
  // The balloon font's defaults are the main font's values as shown.
  EXPECT_EQ(read.Text(Field::BalloonPoliceName), "No Such Font");
  EXPECT_EQ(read.Text(Field::BalloonPoliceSize), "abc");
  EXPECT_TRUE(read.Flag(Field::BalloonPoliceItalic));
  EXPECT_EQ(read.Text(Field::FormWidth), "abc");
  // Colours: an unreadable one shows the default; codes and high bits stay.
  EXPECT_EQ(read.Text(Field::ColorBackGround), "$C8D0D4");
  EXPECT_EQ(read.Text(Field::ClFondRep), "$8000000F");
  EXPECT_EQ(read.Text(Field::ClTexteRep), "$1000000");

  const Skin player = read.PlayerSkin();
  EXPECT_EQ(player.FormWidth, 300) << "the player's default, not the old preview's 400";
  EXPECT_EQ(player.FormHeight, 200);
  EXPECT_EQ(player.Font.Name, "No Such Font");
  EXPECT_EQ(player.Font.Size, 8);
  EXPECT_EQ(player.Back.DuplicateW, 0) << "an explicit 0 is the first column";
  EXPECT_FALSE(player.Back.DuplicateH.has_value());
  EXPECT_EQ(player.Bubble.TextLeftDistance, kMaxMargin);

  const std::vector<Field> unusable = read.UnusableNumbers();
  const std::vector<Field> expected = {Field::DuplicateH, Field::FormWidth, Field::PoliceSize,
                                       Field::TextLeftDistance, Field::BalloonPoliceSize};
  EXPECT_EQ(unusable, expected);
  EXPECT_TRUE(Read("").UnusableNumbers().empty()) << "empty repeated columns are the documented half";

  // Saved as typed; USERFONT goes; what the editor does not know stays put.
  const std::string saved = Saved("; mine\r\n[USERFONT]\r\nPoliceName=Arial\r\n[FOND]\r\nOwn=1\r\n", read);
  EXPECT_EQ(saved.rfind("; mine\r\n[FOND]\r\nOwn=1\r\nSkinName=Enter a skin name\r\n", 0), 0u) << saved;
  EXPECT_NE(saved.find("FormWidth=abc\r\n"), std::string::npos);
  EXPECT_NE(saved.find("PoliceName=No Such Font\r\n"), std::string::npos);
  EXPECT_NE(saved.find("DuplicateW=0\r\n"), std::string::npos);
  EXPECT_EQ(saved.find("USERFONT"), std::string::npos);
}

TEST(SkinDocument, DesignPlacesSurviveOpenAndSave) {
  // Legacy block keys shift the defaults; a save writes the shifted places
  // and a second open gives the same ones.
  const std::string file = "[POSITION]\r\nBouttonsTop=300\r\nBouttonsWidth=390\r\nBarPos-AnchorLeft=0\r\n";
  const SkinDocument first = Read(file);
  EXPECT_EQ(first.Place(ControlId::BtnPlay).Left, 341);
  EXPECT_EQ(first.Place(ControlId::BtnPlay).Top, 304);
  EXPECT_EQ(first.Place(ControlId::BarPos).Width, 219);
  const SkinDocument second = Read(Saved(file, first));
  for (int i = 0; i < kControlCount; ++i) {
    const ControlPlace& a = first.Controls[static_cast<std::size_t>(i)];
    const ControlPlace& b = second.Controls[static_cast<std::size_t>(i)];
    EXPECT_EQ(std::tie(a.Left, a.Top, a.Width, a.AnchorTop, a.AnchorLeft, a.AnchorRight),
              std::tie(b.Left, b.Top, b.Width, b.AnchorTop, b.AnchorLeft, b.AnchorRight))
        << ControlPrefix(static_cast<ControlId>(i));
  }
}

TEST(SkinLayout, BubbleAroundItsTextAndListItems) {
  BubbleSkin bubble;
  bubble.TextLeftDistance = 7;
  bubble.TextTopDistance = 3;
  const BubbleLayout plain = LayoutBubble(bubble, {150, 26}, nullptr);
  EXPECT_EQ(plain.Text, (Box{7, 3, 150, 26}));
  EXPECT_EQ(plain.Window, (Size{162, 34}));
  const Size small{20, 20};
  EXPECT_EQ(LayoutBubble(bubble, {10, 10}, &small).Window, (Size{100, 40})) << "a bitmap sets the minimum";
  const Size large{300, 90};
  EXPECT_EQ(LayoutBubble(bubble, {10, 10}, &large).Window, (Size{300, 90}));
  EXPECT_EQ(ListItemHeight(13), 16);
  EXPECT_EQ(ListItemHeight(14), 16);
  EXPECT_EQ(ListItemHeight(15), 18);
}

}  // namespace
}  // namespace sv::skin
