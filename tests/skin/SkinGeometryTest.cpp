// Nine-slice pieces and the main window's layout: tables at and past the
// edges, every anchor combination at design size and real size.
#include <gtest/gtest.h>

#include "base/IniFile.h"
#include "skin/NineSlice.h"
#include "skin/SkinLayout.h"

namespace sv::skin {
namespace {

TEST(NineSlice, PiecesFollowTheCutAndTheWindowSize) {
  // A 9 x 9 bitmap cut at column 4 and row 4, shown at 30 x 20.
  const auto pieces = NineSlice(9, 9, 30, 20, 4, 4);
  const SlicePiece expected[] = {
      {{0, 0, 4, 4}, {0, 0, 4, 4}},      {{5, 0, 9, 4}, {26, 0, 30, 4}},    {{4, 0, 5, 4}, {4, 0, 26, 4}},
      {{0, 5, 4, 9}, {0, 16, 4, 20}},    {{0, 4, 4, 5}, {0, 4, 4, 16}},     {{5, 5, 9, 9}, {26, 16, 30, 20}},
      {{5, 4, 9, 5}, {26, 4, 30, 16}},   {{4, 5, 5, 9}, {4, 16, 26, 20}},   {{4, 4, 5, 5}, {4, 4, 26, 16}},
  };
  ASSERT_EQ(pieces.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pieces[i].Source, expected[i].Source);
    EXPECT_EQ(pieces[i].Dest, expected[i].Dest);
  }
}

TEST(NineSlice, SplitsAtAndPastTheEdges) {
  struct Case {
    std::optional<int> stored;
    int size;
    int split;
  } splits[] = {
      {std::nullopt, 9, 4}, {std::nullopt, 10, 5}, {std::nullopt, 1, 0}, {0, 9, 0},  {8, 9, 8},
      {9, 9, 4},            {1000000, 9, 4},       {-1, 9, 4},           {-50, 9, 4}, {3, 0, 0},
  };
  for (const Case& c : splits) {
    SCOPED_TRACE(c.stored.value_or(-999));
    EXPECT_EQ(SplitFor(c.stored, c.size), c.split);
  }
  // Each piece stays inside the bitmap and the window, whatever the split
  // and the window size; the pieces cover the window exactly once.
  for (int a : {0, 4, 8, -3, 20}) {
    for (int w : {1, 5, 9, 10, 64}) {
      SCOPED_TRACE(std::to_string(a) + " at width " + std::to_string(w));
      std::vector<int> covered(static_cast<std::size_t>(w * 12), 0);
      for (const SlicePiece& piece : NineSlice(9, 9, w, 12, a, a)) {
        EXPECT_GE(piece.Source.Left, 0);
        EXPECT_LE(piece.Source.Right, 9);
        EXPECT_GT(piece.Source.Width(), 0);
        EXPECT_GE(piece.Dest.Left, 0);
        EXPECT_LE(piece.Dest.Right, w);
        EXPECT_LE(piece.Dest.Bottom, 12);
        for (int y = piece.Dest.Top; y < piece.Dest.Bottom; ++y)
          for (int x = piece.Dest.Left; x < piece.Dest.Right; ++x) ++covered[static_cast<std::size_t>(y * w + x)];
      }
      if (w >= 9) {
        for (int count : covered) EXPECT_EQ(count, 1);
      }
    }
  }
  EXPECT_TRUE(NineSlice(0, 9, 30, 30, 0, 0).empty());
  EXPECT_TRUE(NineSlice(9, 9, 0, 30, 4, 4).empty());
}

std::array<Size, kControlCount> Sizes() {
  std::array<Size, kControlCount> sizes{};
  sizes.fill({20, 10});
  return sizes;
}

TEST(SkinLayout, DefaultSkinAtDesignAndLargerSize) {
  const Skin skin = ReadSkin(IniFile("skin.ini", ""), Program::Player);
  const MainLayout design = LayoutMainWindow(skin, Sizes(), {300, 100}, {300, 380});
  EXPECT_EQ(design.Lists, (Box{5, 5, 290, 340}));
  EXPECT_EQ(design.Control(ControlId::BtnPlay), (Box{241, 349, 20, 10}));
  EXPECT_EQ(design.Control(ControlId::BarPos), (Box{94, 350, 119, 10}));

  const MainLayout big = LayoutMainWindow(skin, Sizes(), {300, 100}, {400, 500});
  EXPECT_EQ(big.Lists, (Box{5, 5, 390, 460}));
  // The right-hand trio moves, the bars stretch, the rest keeps its left.
  EXPECT_EQ(big.Control(ControlId::BtnPrev), (Box{316, 469, 20, 10}));
  EXPECT_EQ(big.Control(ControlId::BtnPlay), (Box{341, 469, 20, 10}));
  EXPECT_EQ(big.Control(ControlId::BtnNext), (Box{366, 469, 20, 10}));
  EXPECT_EQ(big.Control(ControlId::BarPos), (Box{94, 470, 219, 10}));
  EXPECT_EQ(big.Control(ControlId::BarVol), (Box{147, 482, 166, 10}));
  EXPECT_EQ(big.Control(ControlId::BtnEgaliseur), (Box{8, 469, 20, 10}));
  EXPECT_EQ(big.Control(ControlId::LabelTemps), (Box{91, 480, 20, 10}));
}

TEST(SkinLayout, EveryAnchorCombination) {
  struct Case {
    const char* keys;  // for BarPos (bar) and BtnRep (button)
    Box bar;
    Box button;
  } cases[] = {
      // Design 300 x 380 shown at 400 x 430: dx 100, dy 50.
      {"BarPos-AnchorLeft=1\nBarPos-AnchorRight=1\nBarPos-AnchorTop=1\nBtnRep-AnchorLeft=1\nBtnRep-AnchorTop=1\n",
       {94, 350, 219, 10}, {18, 349, 20, 10}},
      {"BarPos-AnchorLeft=1\nBarPos-AnchorRight=0\nBarPos-AnchorTop=0\nBtnRep-AnchorLeft=0\nBtnRep-AnchorTop=0\n",
       {94, 400, 119, 10}, {118, 399, 20, 10}},
      {"BarPos-AnchorLeft=0\nBarPos-AnchorRight=1\nBarPos-AnchorTop=1\nBtnRep-AnchorLeft=0\nBtnRep-AnchorTop=1\n",
       {194, 350, 119, 10}, {118, 349, 20, 10}},
      // Tied to neither side: the centre keeps its place in proportion.
      {"BarPos-AnchorLeft=0\nBarPos-AnchorRight=0\nBarPos-AnchorTop=1\n",
       {(94 * 2 + 119) * 400 / 600 - 59, 350, 119, 10}, {18, 399, 20, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    const Skin skin = ReadSkin(IniFile("skin.ini", std::string("[POSITION]\n") + c.keys), Program::Player);
    const MainLayout layout = LayoutMainWindow(skin, Sizes(), {300, 100}, {400, 430});
    EXPECT_EQ(layout.Control(ControlId::BarPos), c.bar);
    EXPECT_EQ(layout.Control(ControlId::BtnRep), c.button);
  }
}

TEST(SkinLayout, DesignSizeAndRealSizeRespectTheMinimum) {
  // A 200 x 50 design under a 400 x 100 minimum lays out at 400 x 100.
  const Skin skin = ReadSkin(IniFile("skin.ini", "[POSITION]\nFormWidth=200\nFormHeight=50\nListsWidth=190\n"
                                                 "ListsHeight=10\nBtnPlay-Left=150\nBtnPlay-Top=20\n"),
                             Program::Player);
  const MainLayout layout = LayoutMainWindow(skin, Sizes(), {400, 100}, {350, 120});
  EXPECT_EQ(layout.Lists, (Box{5, 5, 190, 30}));
  EXPECT_EQ(layout.Control(ControlId::BtnPlay), (Box{150, 40, 20, 10}));
  // A shrinking window never gives a negative width.
  const Skin wide = ReadSkin(IniFile("skin.ini", "[POSITION]\nFormWidth=2000\nBarPos-Width=30\n"), Program::Player);
  EXPECT_EQ(LayoutMainWindow(wide, Sizes(), {300, 100}, {300, 380}).Control(ControlId::BarPos).Width, 0);
  EXPECT_EQ(LayoutMainWindow(wide, Sizes(), {300, 100}, {300, 380}).Lists.Width, 0);
}

TEST(SkinLayout, MinimumSizeComesFromTheBitmapOnly) {
  const Size big{400, 80};
  EXPECT_EQ(MinimumSize({1, 1}, &big), (Size{400, 100}));
  const Size small{120, 230};
  EXPECT_EQ(MinimumSize({400, 100}, &small), (Size{300, 230}));
  EXPECT_EQ(MinimumSize({400, 100}, nullptr), (Size{400, 100}));
}

}  // namespace
}  // namespace sv::skin
