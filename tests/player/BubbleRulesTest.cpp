// The info bubble's geometry and animation without a window: the cover's
// box, the layout for measured texts (wrapping past two thirds of the
// screen), the corners, and whole slide-in, hold and slide-out runs.
#include <gtest/gtest.h>

#include <vector>

#include "player/BubbleRules.h"

namespace player {
namespace {

// A text of `width` pixels on one line, 13 px a line, wrapped into as many
// lines as the wrap width needs.
auto Text(int width) {
  return [width](int wrap) {
    if (wrap <= 0 || wrap >= width) return BubbleSize{width, 13};
    return BubbleSize{wrap, 13 * ((width + wrap - 1) / wrap)};
  };
}

TEST(BubbleRules, CoverBoxes) {
  EXPECT_EQ(CoverBox(150), (BubbleSize{46, 70}));
  EXPECT_EQ(CoverBox(50), (BubbleSize{70, 35}));
  EXPECT_EQ(CoverBox(100), (BubbleSize{70, 70}));
  EXPECT_EQ(CoverBox(133), (BubbleSize{52, 70}));
  EXPECT_EQ(CoverBox(0), (BubbleSize{70, 0}));
  EXPECT_EQ(CoverBox(-40), (BubbleSize{70, 0}));
}

TEST(BubbleRules, LayoutFollowsTheTextTheCoverAndTheMinimum) {
  const BubbleMargins margins{7, 6, 9, 4};
  // A short text: the minimum holds both sides.
  BubbleLayout small = LayoutBubble(margins, nullptr, {100, 40}, 1024, Text(30));
  EXPECT_EQ(small.Window, (BubbleSize{100, 40}));
  EXPECT_EQ(small.LabelLeft, 7);
  EXPECT_EQ(small.LabelTop, 6);
  // A wider two-line text: margins plus text.
  BubbleLayout two = LayoutBubble(margins, nullptr, {100, 20}, 1024, [](int) { return BubbleSize{300, 26}; });
  EXPECT_EQ(two.Window, (BubbleSize{7 + 300 + 9, 6 + 26 + 4}));
  // With a cover the text moves right and is centred beside the taller picture.
  const BubbleSize cover{46, 70};
  BubbleLayout covered = LayoutBubble(margins, &cover, {100, 40}, 1024, [](int) { return BubbleSize{200, 26}; });
  EXPECT_EQ(covered.LabelLeft, 7 + 46 + 5);
  EXPECT_EQ(covered.Window, (BubbleSize{58 + 200 + 9, 70 + 6 + 4}));
  EXPECT_EQ(covered.LabelTop, (80 - 26) / 2);
  // A text taller than the cover starts at the top margin.
  BubbleLayout tall = LayoutBubble(margins, &cover, {100, 40}, 1024, [](int) { return BubbleSize{200, 91}; });
  EXPECT_EQ(tall.LabelTop, 6);
  EXPECT_EQ(tall.Window.Height, 6 + 91 + 4);
}

TEST(BubbleRules, ALongTextWrapsWithinTwoThirdsOfTheScreen) {
  const BubbleMargins margins;
  // 5 + 1400 + 5 > 682: wrapped at 1400 + 682 - 1410 = 672.
  std::vector<int> asked;
  BubbleLayout layout = LayoutBubble(margins, nullptr, {100, 40}, 1024, [&](int wrap) {
    asked.push_back(wrap);
    return Text(1400)(wrap);
  });
  EXPECT_EQ(asked, (std::vector<int>{0, 672}));
  EXPECT_EQ(layout.Window.Width, 5 + 672 + 5);
  EXPECT_LE(layout.Window.Width, 1024 * 2 / 3 + 10);
  EXPECT_EQ(layout.Label.Height, 13 * 3);
  EXPECT_EQ(layout.Window.Height, 39 + 10);
  // Exactly two thirds is not more than two thirds: no wrap.
  asked.clear();
  LayoutBubble(margins, nullptr, {100, 40}, 1500, [&](int wrap) {
    asked.push_back(wrap);
    return Text(990)(wrap);
  });
  EXPECT_EQ(asked, (std::vector<int>{0}));
}

TEST(BubbleRules, CornersOfTheWorkArea) {
  const BubbleArea area{0, 0, 1024, 738};  // a taskbar of 30 px below
  const BubblePlace bottomRight = PlaceBubble({200, 50}, area, 768, false, false);
  EXPECT_EQ(bottomRight.Left, 1024 - 200 - 15);
  EXPECT_EQ(bottomRight.ShownTop, 738 - 50 - 15);
  EXPECT_EQ(bottomRight.HiddenTop, 768);
  const BubblePlace topLeft = PlaceBubble({200, 50}, {40, 20, 1024, 768}, 768, true, true);
  EXPECT_EQ(topLeft.Left, 55);
  EXPECT_EQ(topLeft.ShownTop, 35);
  EXPECT_EQ(topLeft.HiddenTop, -50);
}

struct AnimationRun {
  std::vector<BubbleFrame> frames;
  int holds = 0;
  bool done = false;
};

AnimationRun Animate(const BubblePlace& place, int opacity, int limit = 1000) {
  AnimationRun run;
  BubbleFrame frame{0, place.HiddenTop, 0};
  for (int i = 0; i < limit && !run.done; ++i) {
    const BubbleTick tick = NextBubbleTick(frame, place, opacity);
    run.holds += tick.Interval == kBubbleHoldMs;
    EXPECT_TRUE(tick.Interval == kBubbleStepMs || tick.Interval == kBubbleHoldMs);
    frame = tick.Frame;
    run.frames.push_back(frame);
    run.done = tick.Done;
  }
  return run;
}

TEST(BubbleRules, SlideInHoldSlideOut) {
  const BubblePlace place{809, 673, 768};
  const AnimationRun run = Animate(place, 255);
  ASSERT_TRUE(run.done);
  EXPECT_EQ(run.holds, 1);
  // Up to the shown place without overshooting, slowing down; the fade
  // reaches 255 on the 26th step.
  std::size_t at = 0;
  int previousStep = 1 << 30;
  for (; run.frames[at].State == 0; ++at) {
    const int top = run.frames[at].Top, before = at ? run.frames[at - 1].Top : place.HiddenTop;
    EXPECT_GE(top, place.ShownTop);
    EXPECT_LE(top, before);
    EXPECT_LE(before - top, previousStep);
    previousStep = before - top;
  }
  EXPECT_EQ(at + 1, 26u) << "the fade ends last, on the 26th step";
  EXPECT_EQ(run.frames[at].State, 1);
  EXPECT_EQ(run.frames[at].Alpha, 255);
  EXPECT_EQ(run.frames[at].Top, place.ShownTop);
  EXPECT_EQ(run.frames[at + 1].State, 2) << "the hold is one tick";
  // Out: 13 steps of fading, moving down faster and faster.
  int fading = 0;
  previousStep = 0;
  for (std::size_t i = at + 2; i < run.frames.size(); ++i) {
    fading += run.frames[i].Alpha < run.frames[i - 1].Alpha;
    const int step = run.frames[i].Top - run.frames[i - 1].Top;
    EXPECT_GE(step, i + 1 < run.frames.size() ? previousStep : 0);
    previousStep = step;
  }
  EXPECT_EQ(fading, 13);
  EXPECT_EQ(run.frames.back().Top, place.HiddenTop);
  EXPECT_EQ(run.frames.back().Alpha, 0);
}

TEST(BubbleRules, AnyOpacityEndsTheAnimation) {
  // From the top, and with opacities a hand-edited file may hold.
  for (int opacity : {255, 128, 0, 300, -5}) {
    const AnimationRun run = Animate({15, 15, -60}, opacity);
    EXPECT_TRUE(run.done) << opacity;
    EXPECT_EQ(run.holds, 1) << opacity;
  }
  // An opacity lowered during the slide-in is reached from above.
  const BubbleTick lowered = NextBubbleTick({0, 15, 200}, {15, 15, -60}, 100);
  EXPECT_EQ(lowered.Frame.Alpha, 100);
  EXPECT_EQ(lowered.Interval, kBubbleHoldMs);
}

TEST(BubbleRules, StepSizes) {
  const BubblePlace place{0, 600, 768};
  // |768 - 600| / 15 + 2 = 13.2 -> 13; in state 2 from 630: 30/15*3+2 = 8.
  EXPECT_EQ(NextBubbleTick({0, 768, 0}, place, 255).Frame.Top, 755);
  EXPECT_EQ(NextBubbleTick({2, 630, 100}, place, 255).Frame.Top, 638);
  // 22 / 15 + 2 = 3.47 -> 3; 7 / 15 + 2 = 2.47 -> 2.
  EXPECT_EQ(NextBubbleTick({0, 622, 0}, {0, 600, 768}, 255).Frame.Top, 619);
  EXPECT_EQ(NextBubbleTick({0, 607, 0}, {0, 600, 768}, 255).Frame.Top, 605);
}

}  // namespace
}  // namespace player
