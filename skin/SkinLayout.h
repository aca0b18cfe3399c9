#pragma once
// Where the main window's list panel and ten controls go: placed at the
// skin's design size, then moved by their anchors to the real size, as if
// the window had been resized from one to the other. Nothing is resized to
// compute it.
#include <array>

#include "skin/SkinFormat.h"

namespace sv::skin {

struct Box {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool operator==(const Box&) const = default;
};

struct Size {
  int Width = 0;
  int Height = 0;
  bool operator==(const Size&) const = default;
};

struct MainLayout {
  Box Lists;  // tied to all four edges
  std::array<Box, kControlCount> Controls{};
  const Box& Control(ControlId id) const { return Controls[static_cast<std::size_t>(id)]; }
};

// The smallest size of the main window: at least 300 x 100 with a
// background bitmap, or the bitmap's size when larger; without one the
// previous minimum stays.
Size MinimumSize(const Size& previous, const Size* bitmap);

// `sizes` are the controls' own sizes (the bars' widths come from the
// skin). The design size and the real size are raised to the minimum first,
// as the window would be.
MainLayout LayoutMainWindow(const Skin& skin, const std::array<Size, kControlCount>& sizes, const Size& minimum,
                            const Size& real);

// A playlist item's height for a text height: rounded up to even, plus 2.
int ListItemHeight(int textHeight);

// The info bubble around its text (no cover): the text at the left and
// top margins, the window as large as the text and all four margins, and
// never below the minimum a background bitmap sets: 100 x 40, or the
// bitmap's size when larger.
struct BubbleLayout {
  Box Text;
  Size Window;
};
BubbleLayout LayoutBubble(const BubbleSkin& bubble, const Size& text, const Size* bitmap);

}  // namespace sv::skin
