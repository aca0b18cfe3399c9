// Snapping rules: the screen edges' cases, the order of the edges, and the
// rules for other forms and stuck forms.
#include <gtest/gtest.h>

#include "desktop/SnapRules.h"

namespace desktop {
namespace {

TEST(SnapRules, ScreenEdges) {
  const SnapArea area{0, 0, 1024, 738};
  struct Case {
    const char* name;
    int x, y, w, h;
    SnapArea area;
    unsigned edges;
    SnapResult result;
  } cases[] = {
      {"4 snaps to 0", 4, 300, 300, 380, area, kSnapAll, {0, 300, kSnapLeft}},
      {"6 stays", 6, 300, 300, 380, area, kSnapAll, {6, 300, 0}},
      {"-5 snaps to 0 (limit included)", -5, 300, 300, 380, area, kSnapAll, {0, 300, kSnapLeft}},
      {"-6 stays", -6, 300, 300, 380, area, kSnapAll, {-6, 300, 0}},
      {"right edge at 1022", 722, 300, 300, 380, area, kSnapAll, {724, 300, kSnapRight}},
      {"taskbar on the left", 722, 300, 300, 380, {60, 0, 964, 738}, kSnapAll, {724, 300, kSnapRight}},
      {"as wide as the area: right wins", 3, 300, 1024, 380, area, kSnapAll, {0, 300, kSnapLeft | kSnapRight}},
      {"wider by 4: right wins over left", 1, 300, 1028, 380, area, kSnapAll, {-4, 300, kSnapLeft | kSnapRight}},
      {"top", 500, 5, 300, 380, area, kSnapAll, {500, 0, kSnapTop}},
      {"bottom", 500, 360, 300, 380, area, kSnapAll, {500, 358, kSnapBottom}},
      {"top-left corner", 3, -2, 300, 380, area, kSnapAll, {0, 0, kSnapTop | kSnapLeft}},
      {"edge not wanted", 4, 300, 300, 380, area, kSnapAll & ~kSnapLeft, {4, 300, 0}},
      {"strength 0: exact only", 0, 1, 300, 380, area, kSnapAll, {0, 1, kSnapLeft}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int strength = std::string(c.name).find("strength 0") == 0 ? 0 : 5;
    const SnapResult r = SnapToScreen(c.x, c.y, c.w, c.h, c.area, strength, c.edges);
    EXPECT_EQ(r.X, c.result.X);
    EXPECT_EQ(r.Y, c.result.Y);
    EXPECT_EQ(r.Edges, c.result.Edges);
  }
}

TEST(SnapRules, OtherFormsAndStuckForms) {
  const SnapRect other{100, 100, 400, 300};
  SnapResult r = SnapToForm(403, 150, 200, 100, other, 5, kSnapAll);
  EXPECT_EQ(r.X, 400);
  EXPECT_EQ(r.Edges, kSnapLeft);
  r = SnapToForm(403, 500, 200, 100, other, 5, kSnapAll);
  EXPECT_EQ(r.Edges, 0u) << "no overlap along the edge";
  r = SnapToForm(150, 296, 100, 50, other, 5, kSnapAll);
  EXPECT_EQ(r.Y, 300);
  EXPECT_EQ(r.Edges, kSnapTop);
  r = SnapToForm(-104, 120, 200, 50, other, 5, kSnapAll);
  EXPECT_EQ(r.X, -100);
  EXPECT_EQ(r.Edges, kSnapRight);
  r = SnapToForm(150, 48, 100, 50, other, 5, kSnapAll & ~kSnapBottom);
  EXPECT_EQ(r.Edges, 0u);

  const SnapRect stuck{400, 120, 600, 200};
  const SnapRect moved = FollowStuckForm(stuck, other, {130, 90, 430, 290}, kSnapLeft);
  EXPECT_EQ(moved.Left, 430);
  EXPECT_EQ(moved.Top, 110);
  const SnapRect resized = FollowStuckForm(stuck, other, {100, 100, 450, 300}, kSnapLeft);
  EXPECT_EQ(resized.Left, 450);
  EXPECT_EQ(resized.Right, 650);
  EXPECT_EQ(resized.Top, 120);
}

}  // namespace
}  // namespace desktop
