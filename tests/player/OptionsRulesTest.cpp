// The options window's rules that need no window: the bubble's opacity on
// the slider, the output-device item, and the fonts written over a skin's.
#include <gtest/gtest.h>

#include "player/OptionsRules.h"
#include "tests/base/TempFolder.h"

namespace player {
namespace {

TEST(OptionsRules, OpacityAndSliderMapWithIntegerDivision) {
  struct Case {
    int opacity, position, back;
  };
  // The ends, the slider's limit, and a stored value that drifts by one.
  const Case cases[] = {{255, 0, 255}, {200, 21, 201}, {51, 80, 51}, {0, 80, 51}, {128, 49, 130}, {254, 0, 255}};
  for (const Case& c : cases) {
    EXPECT_EQ(OpacitySliderPosition(c.opacity), c.position) << c.opacity;
    EXPECT_EQ(OpacityOfSliderPosition(c.position), c.back) << c.opacity;
  }
  // Every position gives an opacity that shows that same position again,
  // and the opacity never falls below what the slider's end gives.
  for (int position = 0; position <= kOpacitySliderMax; ++position) {
    const int opacity = OpacityOfSliderPosition(position);
    EXPECT_EQ(OpacitySliderPosition(opacity), position) << position;
    EXPECT_GE(opacity, 51);
  }
  // One trip through the slider settles: the second trip changes nothing.
  for (int stored = 0; stored <= 255; ++stored) {
    const int once = OpacityOfSliderPosition(OpacitySliderPosition(stored));
    EXPECT_EQ(OpacityOfSliderPosition(OpacitySliderPosition(once)), once) << stored;
  }
  // Values outside the byte are held to it.
  EXPECT_EQ(OpacitySliderPosition(300), 0);
  EXPECT_EQ(OpacitySliderPosition(-5), 80);
  EXPECT_EQ(OpacityOfSliderPosition(200), 51);
}

TEST(OptionsRules, OutputDeviceItems) {
  EXPECT_EQ(OutputDeviceItem(-1, 1), 0);
  EXPECT_EQ(OutputDeviceItem(2, 4), 2);
  EXPECT_EQ(OutputDeviceItem(4, 4), -1);
  EXPECT_EQ(OutputDeviceItem(-7, 4), -1);
  EXPECT_EQ(OutputDeviceItem(0, 4), 0);
  EXPECT_EQ(OutputDeviceOfItem(0), -1);
  EXPECT_EQ(OutputDeviceOfItem(3), 3);
}

TEST(OptionsRules, UserFontsAreWrittenInTheirOrderAndEmptyValuesAreLeftAsTheyStand) {
  // Written to disk as the options window writes them.
  TempFolder temp;
  sv::IniFile ini(temp / "skin.ini", "[FOND]\r\nSkinName=Blue\r\n[USERFONT]\r\nBalloonPoliceName=Old\r\n");
  WriteUserFonts(ini, {"Arial", "10", false, true}, {"Verdana", "12", true, false});
  EXPECT_EQ(ini.ReadSection("USERFONT"),
            (std::vector<std::string>{"BalloonPoliceName", "PoliceName", "PoliceSize", "PoliceBold", "PoliceItalic",
                                      "BalloonPoliceSize", "BalloonPoliceBold", "BalloonPoliceItalic"}));
  EXPECT_EQ(ini.ReadString("USERFONT", "PoliceName", ""), "Arial");
  EXPECT_EQ(ini.ReadString("USERFONT", "PoliceBold", ""), "0");
  EXPECT_EQ(ini.ReadString("USERFONT", "PoliceItalic", ""), "1");
  EXPECT_EQ(ini.ReadString("USERFONT", "BalloonPoliceName", ""), "Verdana");
  EXPECT_EQ(ini.ReadString("USERFONT", "BalloonPoliceSize", ""), "12");

  // No font chosen and no size: the stored name and size stay, never blank.
  sv::IniFile fresh(temp / "other.ini", "");
  WriteUserFonts(fresh, {"", "", true, false}, {"Missing Font", "", false, false});
  EXPECT_EQ(fresh.ReadSection("USERFONT"),
            (std::vector<std::string>{"PoliceBold", "PoliceItalic", "BalloonPoliceName", "BalloonPoliceBold",
                                      "BalloonPoliceItalic"}));
  WriteUserFonts(ini, {"", "", true, false}, {"", "", true, false});
  EXPECT_EQ(ini.ReadString("USERFONT", "PoliceName", ""), "Arial");
  EXPECT_EQ(ini.ReadString("USERFONT", "PoliceSize", ""), "10");
  // A size is written as typed.
  WriteUserFonts(ini, {"Arial", "huge", true, false}, {"Arial", "9", true, false});
  EXPECT_EQ(sv::IniFile(temp / "skin.ini").ReadString("USERFONT", "PoliceSize", ""), "huge");
  EXPECT_EQ(sv::IniFile(temp / "skin.ini").ReadString("FOND", "SkinName", ""), "Blue");
}

TEST(OptionsRules, FontDefaultsComeFromTheSkinsFontSection) {
  const FontDefaults empty = ReadFontDefaults(sv::IniFile("skin.ini", "[FONT]\r\n"));
  EXPECT_EQ(empty.List.Name, "Tahoma");
  EXPECT_EQ(empty.List.Size, "8");
  EXPECT_TRUE(empty.List.Bold);
  EXPECT_FALSE(empty.List.Italic);
  EXPECT_EQ(empty.Balloon.Name, "Tahoma");
  EXPECT_EQ(empty.Balloon.Size, "8");

  // The bubble's keys default to the list font of the same section.
  const FontDefaults set = ReadFontDefaults(sv::IniFile(
      "skin.ini", "[FONT]\r\nPoliceName=Arial\r\nPoliceSize=11\r\nPoliceBold=0\r\nPoliceItalic=1\r\n"
                  "BalloonPoliceSize=14\r\n"));
  EXPECT_EQ(set.List.Name, "Arial");
  EXPECT_FALSE(set.List.Bold);
  EXPECT_EQ(set.Balloon.Name, "Arial");
  EXPECT_EQ(set.Balloon.Size, "14");
  EXPECT_FALSE(set.Balloon.Bold);
  EXPECT_TRUE(set.Balloon.Italic);
}

}  // namespace
}  // namespace player
