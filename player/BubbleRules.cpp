#include "player/BubbleRules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/Numbers.h"

namespace player {

BubbleSize CoverBox(int ratioPercent) {
  const double ratio = std::max(0, ratioPercent) / 100.0;
  if (ratio > 1) return {static_cast<int>(kBubbleCoverSide / ratio), kBubbleCoverSide};
  return {kBubbleCoverSide, static_cast<int>(kBubbleCoverSide * ratio)};
}

BubbleLayout LayoutBubble(const BubbleMargins& margins, const BubbleSize* cover, BubbleSize minimum, int screenWidth,
                          const std::function<BubbleSize(int wrapWidth)>& measure) {
  BubbleLayout layout;
  layout.LabelLeft = cover ? margins.Left + cover->Width + kBubbleCoverGap : margins.Left;
  layout.Label = measure(0);
  auto widthFor = [&] { return std::max(minimum.Width, layout.LabelLeft + layout.Label.Width + margins.Right); };
  layout.Window.Width = widthFor();
  // Two thirds of the screen, compared exactly.
  if (3LL * layout.Window.Width > 2LL * screenWidth) {
    const int wrap = std::max(1, layout.Label.Width + 2 * screenWidth / 3 - layout.Window.Width);
    layout.Label = measure(wrap);
    layout.Window.Width = widthFor();
    layout.Wrapped = true;
  }
  if (cover && layout.Label.Height < cover->Height) {
    layout.Window.Height = std::max(minimum.Height, cover->Height + margins.Top + margins.Bottom);
    layout.LabelTop = (layout.Window.Height - layout.Label.Height) / 2;
  } else {
    layout.LabelTop = margins.Top;
    layout.Window.Height = std::max(minimum.Height, layout.Label.Height + margins.Top + margins.Bottom);
  }
  return layout;
}

BubblePlace PlaceBubble(BubbleSize window, const BubbleArea& workArea, int screenHeight, bool leftAnchor,
                        bool topAnchor) {
  BubblePlace place;
  place.Left = leftAnchor ? workArea.Left + kBubbleEdgeDistance : workArea.Right - window.Width - kBubbleEdgeDistance;
  if (topAnchor) {
    place.HiddenTop = -window.Height;
    place.ShownTop = workArea.Top + kBubbleEdgeDistance;
  } else {
    place.HiddenTop = screenHeight;
    place.ShownTop = workArea.Bottom - window.Height - kBubbleEdgeDistance;
  }
  return place;
}

namespace {

int MoveTowards(int from, int to, std::int64_t step) {
  if (from < to) return static_cast<int>(std::min<std::int64_t>(to, from + step));
  return static_cast<int>(std::max<std::int64_t>(to, from - step));
}

}  // namespace

BubbleTick NextBubbleTick(const BubbleFrame& frame, const BubblePlace& place, int opacity) {
  BubbleTick tick{frame, kBubbleStepMs, false};
  BubbleFrame& next = tick.Frame;
  const int target = std::clamp(opacity, 0, 255);
  const double distance = std::abs(static_cast<double>(frame.Top) - place.ShownTop);
  const std::int64_t step = sv::Round(distance / 15.0 * (frame.State + 1) + 2.0);
  switch (frame.State) {
    case 0:
      // Towards the opacity from either side: one lowered meanwhile is
      // still reached.
      next.Alpha = frame.Alpha < target ? std::min(frame.Alpha + 10, target) : target;
      next.Top = MoveTowards(frame.Top, place.ShownTop, step);
      if (next.Alpha == target && next.Top == place.ShownTop) {
        next.State = 1;
        tick.Interval = kBubbleHoldMs;
      }
      break;
    case 1:
      next.State = 2;
      break;
    default:
      next.State = 2;
      next.Alpha = std::max(0, frame.Alpha - 20);
      next.Top = MoveTowards(frame.Top, place.HiddenTop, step);
      tick.Done = next.Alpha == 0 && next.Top == place.HiddenTop;
      break;
  }
  return tick;
}

}  // namespace player
