#include "desktop/SnapRules.h"

namespace desktop {

namespace {
bool Near(int value, int edge, int strength) { return edge - strength <= value && value <= edge + strength; }
bool Overlap(int a0, int a1, int b0, int b1) { return a0 < b1 && b0 < a1; }
}  // namespace

SnapResult SnapToScreen(int x, int y, int w, int h, const SnapArea& area, int strength, unsigned edges) {
  SnapResult result{x, y, 0};
  // Both far edges are taken from the proposal, before any change.
  const int right = x + w, bottom = y + h;
  const int areaRight = area.Left + area.Width, areaBottom = area.Top + area.Height;
  if ((edges & kSnapTop) && Near(y, area.Top, strength)) {
    result.Y = area.Top;
    result.Edges |= kSnapTop;
  }
  if ((edges & kSnapLeft) && Near(x, area.Left, strength)) {
    result.X = area.Left;
    result.Edges |= kSnapLeft;
  }
  if ((edges & kSnapRight) && Near(right, areaRight, strength)) {
    result.X = areaRight - w;
    result.Edges |= kSnapRight;
  }
  if ((edges & kSnapBottom) && Near(bottom, areaBottom, strength)) {
    result.Y = areaBottom - h;
    result.Edges |= kSnapBottom;
  }
  return result;
}

SnapResult SnapToForm(int x, int y, int w, int h, const SnapRect& other, int strength, unsigned edges) {
  SnapResult result{x, y, 0};
  const bool besides = Overlap(y, y + h, other.Top, other.Bottom);
  const bool above = Overlap(x, x + w, other.Left, other.Right);
  if ((edges & kSnapTop) && above && Near(y, other.Bottom, strength)) {
    result.Y = other.Bottom;
    result.Edges |= kSnapTop;
  }
  if ((edges & kSnapLeft) && besides && Near(x, other.Right, strength)) {
    result.X = other.Right;
    result.Edges |= kSnapLeft;
  }
  if ((edges & kSnapRight) && besides && Near(x + w, other.Left, strength)) {
    result.X = other.Left - w;
    result.Edges |= kSnapRight;
  }
  if ((edges & kSnapBottom) && above && Near(y + h, other.Top, strength)) {
    result.Y = other.Top - h;
    result.Edges |= kSnapBottom;
  }
  return result;
}

SnapRect FollowStuckForm(const SnapRect& stuck, const SnapRect& before, const SnapRect& after, unsigned touching) {
  int dx = 0, dy = 0;
  const bool sameSize =
      before.Right - before.Left == after.Right - after.Left && before.Bottom - before.Top == after.Bottom - after.Top;
  if (sameSize) {
    dx = after.Left - before.Left;
    dy = after.Top - before.Top;
  } else {
    // Our left edge touches its right one, our right edge its left one...
    if (touching & kSnapLeft) dx = after.Right - before.Right;
    if (touching & kSnapRight) dx = after.Left - before.Left;
    if (touching & kSnapTop) dy = after.Bottom - before.Bottom;
    if (touching & kSnapBottom) dy = after.Top - before.Top;
  }
  return {stuck.Left + dx, stuck.Top + dy, stuck.Right + dx, stuck.Bottom + dy};
}

}  // namespace desktop
