#pragma once
// The info bubble's geometry and animation, apart from its window: the
// cover's box, the size for a measured text, the place near a corner of the
// work area, and one step of the slide and fade.
#include <cstdint>
#include <functional>

namespace player {

struct BubbleSize {
  int Width = 0;
  int Height = 0;
  bool operator==(const BubbleSize&) const = default;
};

struct BubbleMargins {
  int Left = 5;
  int Top = 5;
  int Right = 5;
  int Bottom = 5;
};

struct BubbleArea {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

inline constexpr int kBubbleCoverSide = 70;
inline constexpr int kBubbleCoverGap = 5;
inline constexpr int kBubbleEdgeDistance = 15;
// Texts longer than this (in UTF-16 units) are cut before they are laid out.
inline constexpr int kBubbleTextLimit = 1000;

// The cover's box from the preview panel's ratio (height / width in
// percent): a tall picture is 70 high, a wide one 70 wide; the other side
// truncated.
BubbleSize CoverBox(int ratioPercent);

struct BubbleLayout {
  int LabelLeft = 0;
  int LabelTop = 0;
  BubbleSize Label;
  BubbleSize Window;
  bool Wrapped = false;  // the label wraps its lines within its width
};

// `measure(0)` gives the text's size on one line per line break,
// `measure(w)` its size wrapped within w pixels. A window wider than two
// thirds of the screen wraps the text so that it fits; no side goes below
// the minimum (the window keeps that minimum).
BubbleLayout LayoutBubble(const BubbleMargins& margins, const BubbleSize* cover, BubbleSize minimum, int screenWidth,
                          const std::function<BubbleSize(int wrapWidth)>& measure);

struct BubblePlace {
  int Left = 0;
  int ShownTop = 0;
  int HiddenTop = 0;
};

// 15 px inside the work area's chosen corner; out of sight above the screen
// (top anchor) or below it.
BubblePlace PlaceBubble(BubbleSize window, const BubbleArea& workArea, int screenHeight, bool leftAnchor,
                        bool topAnchor);

// Animation states: 0 sliding in, 1 holding, 2 sliding out.
struct BubbleFrame {
  int State = 0;
  int Top = 0;
  int Alpha = 0;
};

struct BubbleTick {
  BubbleFrame Frame;
  std::uint32_t Interval = 10;  // the timer's next interval
  bool Done = false;            // hidden: the timer stops
};

inline constexpr std::uint32_t kBubbleStepMs = 10;
inline constexpr std::uint32_t kBubbleHoldMs = 4000;

// One step. The slide moves |top - shownTop| / 15 * (state + 1) + 2 pixels
// (halves to even), never past its end; the fade goes 10 up towards the
// opacity (clamped to 0..255) and 20 down.
BubbleTick NextBubbleTick(const BubbleFrame& frame, const BubblePlace& place, int opacity);

}  // namespace player
