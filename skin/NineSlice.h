#pragma once
// The nine-piece background: a bitmap cut by one column and one row; the
// corners are copied unscaled, the column and row pieces stretched between
// them and the single pixel where they cross fills the middle. Shared by
// the main window, the info bubble, the equalizer and the editor's preview.
#include <optional>
#include <vector>

namespace sv::skin {

// Left, top, right, bottom; right and bottom exclusive.
struct Rect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const Rect&) const = default;
};

struct SlicePiece {
  Rect Source;  // in the bitmap
  Rect Dest;    // in the window
};

// The split for a bitmap of that size: nothing stored gives half the size
// (rounded down), and so does a stored value outside the bitmap, which
// names no column of it; an explicit 0 is the first column.
int SplitFor(const std::optional<int>& stored, int size);

// The pieces to copy, in the painting order. Pieces that come out empty
// (a window smaller than the bitmap's corners, a split on the last column)
// are left out. A bitmap without pixels gives none.
std::vector<SlicePiece> NineSlice(int bitmapWidth, int bitmapHeight, int width, int height, int splitX, int splitY);

}  // namespace sv::skin
