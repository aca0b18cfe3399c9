#include "skin/NineSlice.h"

#include <algorithm>

namespace sv::skin {

int SplitFor(const std::optional<int>& stored, int size) {
  if (size <= 0) return 0;
  if (!stored || *stored < 0 || *stored >= size) return size / 2;
  return *stored;
}

std::vector<SlicePiece> NineSlice(int bw, int bh, int w, int h, int a, int b) {
  std::vector<SlicePiece> pieces;
  if (bw <= 0 || bh <= 0 || w <= 0 || h <= 0) return pieces;
  a = std::clamp(a, 0, bw - 1);
  b = std::clamp(b, 0, bh - 1);
  // The stretched column and row start where the left and top corners end,
  // and end where the right and bottom corners begin.
  const int dx = std::max(a, w + a - bw + 1);
  const int dy = std::max(b, h + b - bh + 1);
  const SlicePiece table[] = {
      {{0, 0, a, b}, {0, 0, a, b}},
      {{a + 1, 0, bw, b}, {dx, 0, w, b}},
      {{a, 0, a + 1, b}, {a, 0, dx, b}},
      {{0, b + 1, a, bh}, {0, dy, a, h}},
      {{0, b, a, b + 1}, {0, b, a, dy}},
      {{a + 1, b + 1, bw, bh}, {dx, dy, w, h}},
      {{a + 1, b, bw, b + 1}, {dx, b, w, dy}},
      {{a, b + 1, a + 1, bh}, {a, dy, dx, h}},
      {{a, b, a + 1, b + 1}, {a, b, dx, dy}},
  };
  for (const SlicePiece& piece : table) {
    SlicePiece clipped = piece;
    // The window is the limit: a corner wider than the window is cut, not
    // squeezed.
    const int cutX = std::max(0, clipped.Dest.Right - w);
    const int cutY = std::max(0, clipped.Dest.Bottom - h);
    if (piece.Source.Width() == piece.Dest.Width()) clipped.Source.Right -= cutX;
    if (piece.Source.Height() == piece.Dest.Height()) clipped.Source.Bottom -= cutY;
    clipped.Dest.Right -= cutX;
    clipped.Dest.Bottom -= cutY;
    if (clipped.Source.Width() <= 0 || clipped.Source.Height() <= 0) continue;
    if (clipped.Dest.Width() <= 0 || clipped.Dest.Height() <= 0) continue;
    pieces.push_back(clipped);
  }
  return pieces;
}

}  // namespace sv::skin
