#pragma once
// Rules of the main window that need no window: where a shown window goes
// inside the work area, how its frameless edges map to the system's move
// and size commands, the fade's steps and the cover preview's drag.
#include <cstdint>

namespace player {

struct ScreenBox {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const ScreenBox&) const = default;
};

struct WorkAreaBox {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// Where a shown window goes. Bounds wholly off the screens (`screens`, the
// virtual screen: a monitor that is gone) take the default place, 15 px
// inside the bottom-right corner of the work area. Otherwise a window
// sticking out more than 15 px past the right or bottom edge of `area`
// (the work area of its monitor) comes back 15 px inside it, and its left
// and top edges stay as they are: a window kept on a monitor left of or
// above the primary one stays there.
ScreenBox ClampShownBounds(const ScreenBox& saved, const WorkAreaBox& area, const WorkAreaBox& screens);

// The frameless window's edges under the mouse: 10 px bands.
enum EdgeBits : unsigned { kEdgeNone = 0, kEdgeLeft = 1, kEdgeRight = 2, kEdgeTop = 4, kEdgeBottom = 8 };
unsigned EdgesAt(int x, int y, int width, int height);
// The WM_SYSCOMMAND value a left-button press there sends: SC_SIZE plus
// the edge code, or SC_MOVE + HTCAPTION without an edge.
unsigned EdgeCommand(unsigned edges);
enum class EdgeCursor { Move, SizeNWSE, SizeNESW, SizeNS, SizeWE };
EdgeCursor CursorForEdges(unsigned edges);

// The fade: opacity per tick while showing (rising) or hiding (falling).
inline constexpr int kFadeStep = 50;
struct FadeTick {
  int Opacity = 0;
  bool Done = false;  // the timer stops; shown: alpha blending off; hidden: the window hides
};
FadeTick NextFade(int opacity, bool showing);

// The cover preview's new position while dragged: 2 px from every edge of
// the lists panel at least.
int ClampPreview(int wanted, int size, int panelSize);

}  // namespace player
