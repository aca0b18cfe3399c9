#include "skin/SkinLayout.h"

#include <algorithm>
#include <cstdint>

namespace sv::skin {

namespace {

// One axis of a control: its start and length at the design size, moved to
// the real size by the edges it is tied to. Tied to neither edge, it keeps
// its centre at the same fraction of the window.
void Follow(int& start, int& length, bool nearEdge, bool farEdge, int design, int real) {
  const int delta = real - design;
  if (nearEdge && farEdge) {
    length = std::max(0, length + delta);
  } else if (farEdge) {
    start += delta;
  } else if (!nearEdge) {
    const std::int64_t centre = static_cast<std::int64_t>(start) * 2 + length;
    start = static_cast<int>(centre * real / (2 * static_cast<std::int64_t>(design)) - length / 2);
  }
}

}  // namespace

Size MinimumSize(const Size& previous, const Size* bitmap) {
  if (!bitmap) return previous;
  return {std::max(300, bitmap->Width), std::max(100, bitmap->Height)};
}

MainLayout LayoutMainWindow(const Skin& skin, const std::array<Size, kControlCount>& sizes, const Size& minimum,
                            const Size& real) {
  const int designW = std::max({skin.FormWidth, minimum.Width, 1});
  const int designH = std::max({skin.FormHeight, minimum.Height, 1});
  const int realW = std::max({real.Width, minimum.Width, 1});
  const int realH = std::max({real.Height, minimum.Height, 1});

  MainLayout layout;
  layout.Lists = {skin.ListsLeft, skin.ListsTop, skin.ListsWidth, skin.ListsHeight};
  Follow(layout.Lists.Left, layout.Lists.Width, true, true, designW, realW);
  Follow(layout.Lists.Top, layout.Lists.Height, true, true, designH, realH);

  for (int i = 0; i < kControlCount; ++i) {
    const auto id = static_cast<ControlId>(i);
    const ControlPlace& place = skin.Place(id);
    Box& box = layout.Controls[static_cast<std::size_t>(i)];
    const Size& size = sizes[static_cast<std::size_t>(i)];
    box = {place.Left, place.Top, IsBar(id) ? place.Width : size.Width, size.Height};
    const bool left = place.AnchorLeft;
    const bool right = IsBar(id) ? place.AnchorRight : !place.AnchorLeft;
    Follow(box.Left, box.Width, left, right, designW, realW);
    Follow(box.Top, box.Height, place.AnchorTop, !place.AnchorTop, designH, realH);
  }
  return layout;
}

int ListItemHeight(int textHeight) { return textHeight + (textHeight % 2 != 0 ? 3 : 2); }

BubbleLayout LayoutBubble(const BubbleSkin& bubble, const Size& text, const Size* bitmap) {
  BubbleLayout layout;
  layout.Text = {bubble.TextLeftDistance, bubble.TextTopDistance, text.Width, text.Height};
  layout.Window = {bubble.TextLeftDistance + text.Width + bubble.TextRightDistance,
                   bubble.TextTopDistance + text.Height + bubble.TextBottomDistance};
  if (bitmap) {
    layout.Window.Width = std::max({layout.Window.Width, 100, bitmap->Width});
    layout.Window.Height = std::max({layout.Window.Height, 40, bitmap->Height});
  }
  return layout;
}

}  // namespace sv::skin
