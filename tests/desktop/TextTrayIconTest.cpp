// The text icon: its layout as a pure function, the pixels of the icons it
// makes, and its GDI bookkeeping over many redraws.
#include "desktop/TextTrayIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/SmallImageList.h"
#include "tests/desktop/TrayTestSupport.h"
#include "tests/support/GdiObjects.h"

using desktop::LayoutTextIcon;
using desktop::TextIconKeyColour;
using desktop::TextIconLine;
using desktop::TTextTrayIcon;
using traytest::IconPixels;
using traytest::ReadIcon;
using traytest::ShellRecorder;

namespace {

// Every character 5 pixels wide; the height is given per call.
desktop::TextMeasure FixedMeasure(int height, std::vector<std::string>* asked = nullptr) {
  return [height, asked](std::string_view text) {
    if (asked) asked->emplace_back(text);
    return SIZE{static_cast<LONG>(5 * text.size()), height};
  };
}

TEST(TextIconLayout, OneLineIsCentredThenShifted) {
  auto lines = LayoutTextIcon("A", 0, 0, 0, FixedMeasure(8));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].X, 5);  // (15 - 5) / 2
  EXPECT_EQ(lines[0].Y, 3);  // (15 - 8) / 2
  lines = LayoutTextIcon("A", 2, -1, 0, FixedMeasure(8));
  EXPECT_EQ(lines[0].X, 7);
  EXPECT_EQ(lines[0].Y, 2);
}

TEST(TextIconLayout, WideTextTruncatesTowardsZero) {
  // (15 - 20) / 2 is -2, not -3.
  auto lines = LayoutTextIcon(">>>>", 0, 0, 0, FixedMeasure(16));
  EXPECT_EQ(lines[0].X, -2);
  EXPECT_EQ(lines[0].Y, 0);
  lines = LayoutTextIcon(">", -12, 0, 0, FixedMeasure(16));
  EXPECT_EQ(lines[0].X, 5 - 12);
}

TEST(TextIconLayout, TwoLinesOfHeightEightStartAtTheOffset) {
  auto lines = LayoutTextIcon("A\rB", 0, 0, 0, FixedMeasure(8));
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Text, "A");
  EXPECT_EQ(lines[1].Text, "B");
  EXPECT_EQ(lines[0].Y, 0);  // (15 - 16) / 2
  EXPECT_EQ(lines[1].Y, 8);
  lines = LayoutTextIcon("A\rB", 0, 3, 2, FixedMeasure(8));
  EXPECT_EQ(lines[0].Y, -2 + 3);  // (15 - 20) / 2 + 3
  EXPECT_EQ(lines[1].Y, 8 + 3);
}

TEST(TextIconLayout, LineHeightComesFromTheTextAfterTheFirstBreak) {
  std::vector<std::string> asked;
  LayoutTextIcon("AB\rC\rD", 0, 0, 0, FixedMeasure(5, &asked));
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked[0], "\rC\rD");
}

TEST(TextIconLayout, LineFeedsStayAndATrailingBreakGivesAnEmptyLine) {
  auto lines = LayoutTextIcon("A\r\nB\r", 0, 0, 0, FixedMeasure(4));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Text, "A");
  EXPECT_EQ(lines[1].Text, "\nB");
  EXPECT_EQ(lines[2].Text, "");
  EXPECT_EQ(lines[2].X, 7);
  EXPECT_EQ(lines[0].Y, 1);  // (15 - 12) / 2
  EXPECT_EQ(lines[2].Y, 9);
}

TEST(TextIconLayout, KeyColourAvoidsTheFontColour) {
  EXPECT_EQ(TextIconKeyColour(forms::kColourNone, 0x000000), 0xFFFFFFu);
  EXPECT_EQ(TextIconKeyColour(0x0000FF, 0x0000FF), 0xFFFF00u);
  EXPECT_EQ(TextIconKeyColour(0x00FF00, 0x0000FF), 0x00FF00u);
  EXPECT_EQ(TextIconKeyColour(forms::kColourButtonFace, 0), forms::kColourButtonFace);
  const forms::ColourValue windowText = 0x80000000u | COLOR_WINDOWTEXT;
  EXPECT_EQ(TextIconKeyColour(windowText, windowText), GetSysColor(COLOR_WINDOWTEXT) ^ 0xFFFFFF);
}

class TextTrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    icon = forms::NewUnowned<TTextTrayIcon>("");
    icon->Font().SetHeight(16);
    icon->Font().SetColor(0x000000);
  }
  IconPixels Pixels() { return ReadIcon(icon->Icon().Handle()); }

  ShellRecorder shell;
  std::unique_ptr<TTextTrayIcon> icon;
};

int InkCount(const IconPixels& pixels) {
  int count = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) count += !pixels.transparent[y][x];
  return count;
}

// The leftmost column with an opaque pixel, or -1.
int LeftmostInk(const IconPixels& pixels) {
  for (int x = 0; x < 16; ++x)
    for (int y = 0; y < 16; ++y)
      if (!pixels.transparent[y][x]) return x;
  return -1;
}

TEST_F(TextTrayIconTest, RealColourMakesAnOpaqueSquare) {
  icon->SetColor(0x0000FF);
  auto pixels = Pixels();
  EXPECT_EQ(InkCount(pixels), 256);
  EXPECT_EQ(pixels.colour[0][0], 0xFF0000u);  // red, as 0x00RRGGBB
  EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(shell.Last().data.hIcon, icon->Icon().Handle());
}

TEST_F(TextTrayIconTest, NoColourLeavesOnlyTheTextVisible) {
  icon->SetColor(forms::kColourNone);
  icon->SetText(">");
  auto pixels = Pixels();
  EXPECT_TRUE(pixels.transparent[0][0]);
  EXPECT_TRUE(pixels.transparent[15][15]);
  int ink = InkCount(pixels);
  EXPECT_GT(ink, 4);
  EXPECT_LT(ink, 128);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      if (!pixels.transparent[y][x]) {
        EXPECT_EQ(pixels.colour[y][x], 0u);
      }
}

TEST_F(TextTrayIconTest, ColourOfTheFontKeepsTheTextVisible) {
  icon->SetColor(0x000000);
  icon->SetText(">");
  auto pixels = Pixels();
  EXPECT_EQ(InkCount(pixels), 256);
  EXPECT_EQ(pixels.colour[0][0], 0xFFFFFFu);
  int black = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) black += pixels.colour[y][x] == 0;
  EXPECT_GT(black, 4);
}

TEST_F(TextTrayIconTest, EachOffsetStepMovesTheTextOneColumn) {
  icon->SetColor(forms::kColourNone);
  icon->SetText(">");
  icon->Options().SetOffsetX(-12);
  const int farLeft = InkCount(Pixels());
  icon->Options().SetOffsetX(0);
  const int centred = InkCount(Pixels());
  EXPECT_LT(farLeft, centred / 2);

  int steps = 0;
  for (int offset = -12; offset < 12; ++offset) {
    icon->Options().SetOffsetX(offset);
    const int left = LeftmostInk(Pixels());
    icon->Options().SetOffsetX(offset + 1);
    const int next = LeftmostInk(Pixels());
    if (left > 0 && next > 0) {
      EXPECT_EQ(next, left + 1) << "offset " << offset;
      ++steps;
    }
  }
  EXPECT_GT(steps, 5);
}

TEST_F(TextTrayIconTest, StepsThatChangeNoPixelDoNotUpdateTheTray) {
  const auto updates = [this] { return shell.Count(NIM_MODIFY, icon->Identifier()); };
  for (bool withBackground : {false, true}) {
    if (withBackground) {
      forms::IconImage background;
      background.TakeHandle(forms::CopyIconHandle(LoadIconW(nullptr, IDI_APPLICATION)));
      icon->SetBackgroundIcon(background);
    }
    icon->SetText(">");
    icon->Options().SetOffsetX(-40);
    const HICON shown = icon->Icon().Handle();
    const std::size_t before = updates();
    // The text stays wholly left of the square: the picture is the same.
    for (int offset = -39; offset <= -30; ++offset) icon->Options().SetOffsetX(offset);
    EXPECT_EQ(updates(), before) << "background " << withBackground;
    EXPECT_EQ(icon->Icon().Handle(), shown);
    icon->Options().SetOffsetX(0);
    EXPECT_EQ(updates(), before + 1) << "background " << withBackground;
  }
}

TEST_F(TextTrayIconTest, BorderFramesTheSquare) {
  icon->SetColor(0x0000FF);
  icon->SetBorderColor(0xFF0000);
  icon->SetBorder(true);
  auto pixels = Pixels();
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(pixels.colour[0][i], 0x0000FFu);
    EXPECT_EQ(pixels.colour[15][i], 0x0000FFu);
    EXPECT_EQ(pixels.colour[i][0], 0x0000FFu);
  }
  EXPECT_EQ(pixels.colour[1][1], 0xFF0000u);
}

TEST_F(TextTrayIconTest, TextGoesOverTheBackgroundIcon) {
  forms::PixelBitmap green(16, 16);
  {
    forms::BitmapPainter surface(green);
    surface.FillRect(RECT{0, 0, 16, 16}, RGB(255, 0, 255));
    surface.FillRect(RECT{0, 0, 16, 8}, RGB(0, 255, 0));
  }
  forms::IconImage background;
  desktop::TTrayIcon::MakeMaskedIcon(green, background, RGB(255, 0, 255));
  icon->SetColor(forms::kColourNone);
  icon->SetText("");
  icon->SetBackgroundIcon(background);
  auto pixels = Pixels();
  EXPECT_TRUE(pixels.Ink(0, 0, 0x00FF00));
  EXPECT_TRUE(pixels.transparent[15][0]);

  icon->SetText(">");
  pixels = Pixels();
  EXPECT_TRUE(pixels.Ink(0, 0, 0x00FF00));
  EXPECT_TRUE(pixels.transparent[15][0]);
  int black = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) black += pixels.Ink(x, y, 0x000000);
  EXPECT_GT(black, 4);
}

TEST_F(TextTrayIconTest, OptionsAreCopiedAndRedrawnOnce) {
  icon->SetText(">");
  int updates = 0;
  desktop::TOffsetOptions other;
  other.SetOffsetX(3);
  other.SetOffsetY(-2);
  other.SetLineDistance(1);
  const std::size_t before = shell.calls.size();
  icon->SetOptions(other);
  for (std::size_t i = before; i < shell.calls.size(); ++i) updates += shell.calls[i].message == NIM_MODIFY;
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(icon->Options().OffsetX(), 3);
  EXPECT_EQ(icon->Options().OffsetY(), -2);
  EXPECT_EQ(icon->Options().LineDistance(), 1);

  // The same value again changes nothing.
  const std::size_t calls = shell.calls.size();
  icon->Options().SetOffsetX(3);
  EXPECT_EQ(shell.calls.size(), calls);
}

TEST_F(TextTrayIconTest, RedrawingStopsCycling) {
  auto list = forms::NewUnowned<forms::SmallImageList>("");
  icon->SetIconList(list.get());
  icon->SetCycleInterval(50);
  icon->SetCycleIcons(true);
  icon->SetText("1");
  EXPECT_FALSE(icon->CycleIcons());
}

TEST_F(TextTrayIconTest, ThousandRedrawsLeakNoGdiObject) {
  icon->SetColor(forms::kColourNone);
  icon->SetText(">");
  icon->Options().SetOffsetX(1);
  const long before = svtest::GdiObjects(GetCurrentProcess());
  ASSERT_GT(before, 0);
  for (int i = 0; i < 1000; ++i) icon->Options().SetOffsetX(i % 2);
  EXPECT_EQ(svtest::GdiObjects(GetCurrentProcess()), before);

  forms::IconImage background;
  background.TakeHandle(forms::CopyIconHandle(LoadIconW(nullptr, IDI_APPLICATION)));
  icon->SetBackgroundIcon(background);
  icon->SetBorder(true);
  const long withBackground = svtest::GdiObjects(GetCurrentProcess());
  for (int i = 0; i < 1000; ++i) icon->Options().SetOffsetY(i % 2);
  EXPECT_EQ(svtest::GdiObjects(GetCurrentProcess()), withBackground);
}

}  // namespace
