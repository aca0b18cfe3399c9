// The main window's rules without a window: shown bounds, frameless edges,
// fade steps, item height and the cover preview's drag.
#include <gtest/gtest.h>

#include "player/WindowRules.h"

namespace player {
namespace {

TEST(WindowRules, ShownBoundsKeepTheirLeftAndTopUnlessWhollyOffTheScreens) {
  const WorkAreaBox area{0, 0, 1024, 738};
  // A second monitor left of the primary one.
  const WorkAreaBox screens{-1280, 0, 1024, 768};
  struct Case {
    const char* name;
    ScreenBox saved;
    ScreenBox shown;
  } cases[] = {
      {"inside", {100, 100, 300, 380}, {100, 100, 300, 380}},
      {"10 px out at the right stays", {734, 100, 300, 380}, {734, 100, 300, 380}},
      {"15 px out stays", {739, 100, 300, 380}, {739, 100, 300, 380}},
      {"20 px out comes 15 px inside", {744, 100, 300, 380}, {709, 100, 300, 380}},
      {"20 px out at the bottom", {100, 378, 300, 380}, {100, 343, 300, 380}},
      {"on the monitor at the left", {-1000, 100, 300, 380}, {-1000, 100, 300, 380}},
      {"across both monitors", {-150, 100, 300, 380}, {-150, 100, 300, 380}},
      {"partly above the top", {100, -40, 300, 380}, {100, -40, 300, 380}},
      {"wholly left of the screens", {-1600, 100, 300, 380}, {709, 343, 300, 380}},
      {"wholly above the screens", {100, -400, 300, 380}, {709, 343, 300, 380}},
      {"wholly right, wider than the area", {5000, 10, 2000, 380}, {0, 343, 2000, 380}},
      {"far below", {10, 9000, 300, 380}, {709, 343, 300, 380}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ClampShownBounds(c.saved, area, screens), c.shown);
  }
  // A work area that does not start at 0 (a taskbar on the left): the left
  // edge stays even under the taskbar.
  EXPECT_EQ(ClampShownBounds({0, 0, 300, 380}, {60, 0, 1024, 738}, {0, 0, 1024, 768}), (ScreenBox{0, 0, 300, 380}));
}

TEST(WindowRules, EdgesGiveTheSystemsCommandsAndCursors) {
  struct Case {
    int x, y;
    unsigned command;
    EdgeCursor cursor;
  } cases[] = {
      {5, 5, 0xF004, EdgeCursor::SizeNWSE},     {295, 5, 0xF005, EdgeCursor::SizeNESW},
      {5, 375, 0xF007, EdgeCursor::SizeNESW},   {295, 375, 0xF008, EdgeCursor::SizeNWSE},
      {150, 5, 0xF003, EdgeCursor::SizeNS},     {150, 375, 0xF006, EdgeCursor::SizeNS},
      {5, 190, 0xF001, EdgeCursor::SizeWE},     {295, 190, 0xF002, EdgeCursor::SizeWE},
      {150, 190, 0xF012, EdgeCursor::Move},     {10, 10, 0xF012, EdgeCursor::Move},
      {290, 370, 0xF012, EdgeCursor::Move},     {291, 371, 0xF008, EdgeCursor::SizeNWSE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    const unsigned edges = EdgesAt(c.x, c.y, 300, 380);
    EXPECT_EQ(EdgeCommand(edges), c.command);
    EXPECT_EQ(CursorForEdges(edges), c.cursor);
  }
}

TEST(WindowRules, FadeRisesBy50AndEndsOpaque) {
  int opacity = 0;
  std::vector<int> seen;
  for (FadeTick tick{}; !tick.Done;) {
    tick = NextFade(opacity, true);
    opacity = tick.Opacity;
    seen.push_back(opacity);
  }
  EXPECT_EQ(seen, (std::vector<int>{50, 100, 150, 200, 250, 255}));
  EXPECT_EQ(NextFade(150, false).Opacity, 100);
  EXPECT_FALSE(NextFade(150, false).Done);
  EXPECT_TRUE(NextFade(50, false).Done);
  EXPECT_EQ(NextFade(50, false).Opacity, 0);
}

TEST(WindowRules, PreviewDrag) {
  EXPECT_EQ(ClampPreview(-40, 100, 290), 2);
  EXPECT_EQ(ClampPreview(50, 100, 290), 50);
  EXPECT_EQ(ClampPreview(500, 100, 290), 188);
  EXPECT_EQ(ClampPreview(50, 100, 60), 2);
}

}  // namespace
}  // namespace player
