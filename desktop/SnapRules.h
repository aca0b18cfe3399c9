#pragma once
// Where a form dragged near the work area's edges, or near another form,
// is put: pure rules, without windows.
#include <cstdint>

namespace desktop {

// Edge bits, as the events report them.
enum SnapEdge : unsigned { kSnapTop = 1, kSnapLeft = 2, kSnapRight = 4, kSnapBottom = 8, kSnapAll = 15 };

struct SnapArea {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

struct SnapResult {
  int X = 0;
  int Y = 0;
  unsigned Edges = 0;  // the edges that caught the form
};

// The proposed position (x, y) of a form of size w x h, caught by the
// area's edges in `edges` within `strength` pixels (limits included), in
// the order top, left, right, bottom: a later edge wins on its axis.
SnapResult SnapToScreen(int x, int y, int w, int h, const SnapArea& area, int strength, unsigned edges);

struct SnapRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// The proposed position against another form: the dragged form's edges in
// `edges` (top, left, right, bottom) are caught by the other form's
// opposite edges within `strength`, while the two overlap along that edge.
SnapResult SnapToForm(int x, int y, int w, int h, const SnapRect& other, int strength, unsigned edges);

// A form stuck to another follows it: moved without a change of size, the
// other form drags it by the same amount; resized, it keeps touching the
// edge that moves (the edges it touches are in `touching`).
SnapRect FollowStuckForm(const SnapRect& stuck, const SnapRect& before, const SnapRect& after, unsigned touching);

}  // namespace desktop
