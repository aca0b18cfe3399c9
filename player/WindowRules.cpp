#include "player/WindowRules.h"

#include <algorithm>

namespace player {

namespace {
constexpr int kStickOut = 15;   // more than this past the right or bottom edge is brought back
constexpr int kEdgeBand = 10;
constexpr unsigned kScSize = 0xF000;
constexpr unsigned kScMoveCaption = 0xF012;
}  // namespace

ScreenBox ClampShownBounds(const ScreenBox& saved, const WorkAreaBox& area, const WorkAreaBox& screens) {
  ScreenBox box = saved;
  const bool offScreens = box.Left + box.Width <= screens.Left || box.Left >= screens.Right ||
                          box.Top + box.Height <= screens.Top || box.Top >= screens.Bottom;
  if (offScreens) {
    box.Left = std::max(area.Left, area.Right - box.Width - kStickOut);
    box.Top = std::max(area.Top, area.Bottom - box.Height - kStickOut);
    return box;
  }
  if (box.Left + box.Width > area.Right + kStickOut) box.Left = area.Right - box.Width - kStickOut;
  if (box.Top + box.Height > area.Bottom + kStickOut) box.Top = area.Bottom - box.Height - kStickOut;
  return box;
}

unsigned EdgesAt(int x, int y, int width, int height) {
  unsigned edges = kEdgeNone;
  if (y < kEdgeBand) edges |= kEdgeTop;
  if (height - y < kEdgeBand) edges |= kEdgeBottom;
  if (x < kEdgeBand) edges |= kEdgeLeft;
  if (width - x < kEdgeBand) edges |= kEdgeRight;
  return edges;
}

unsigned EdgeCommand(unsigned edges) {
  unsigned code = 0;
  if (edges & kEdgeTop) code += 3;
  if (edges & kEdgeBottom) code += 6;
  if (edges & kEdgeLeft) code += 1;
  if (edges & kEdgeRight) code += 2;
  return code == 0 ? kScMoveCaption : kScSize + code;
}

EdgeCursor CursorForEdges(unsigned edges) {
  const bool top = edges & kEdgeTop, bottom = edges & kEdgeBottom, left = edges & kEdgeLeft,
             right = edges & kEdgeRight;
  if ((top && left) || (bottom && right)) return EdgeCursor::SizeNWSE;
  if ((top && right) || (bottom && left)) return EdgeCursor::SizeNESW;
  if (top || bottom) return EdgeCursor::SizeNS;
  if (left || right) return EdgeCursor::SizeWE;
  return EdgeCursor::Move;
}

FadeTick NextFade(int opacity, bool showing) {
  if (showing) {
    if (opacity < 255 - kFadeStep) return {opacity + kFadeStep, false};
    return {255, true};
  }
  if (opacity > kFadeStep) return {opacity - kFadeStep, false};
  return {0, true};
}

int ClampPreview(int wanted, int size, int panelSize) {
  return std::max(2, std::min(wanted, panelSize - size - 2));
}

}  // namespace player
