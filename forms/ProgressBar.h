#pragma once
// A progress bar whose range and position are 64-bit (the seek bar counts
// bytes of files of many gigabytes); the window itself shows them scaled
// onto its 32-bit range. The mouse is captured while a button is held, so
// that a drag along the bar keeps reporting moves past its ends.
#include <windows.h>

#include <cstdint>

#include "forms/WindowedControl.h"

namespace forms {

class ProgressBar : public WindowedControl {
 public:
  // The orientation is fixed when the bar is made.
  ProgressBar(TComponent* owner, WindowedControl* parent, Bounds bounds, bool vertical = false);

  std::int64_t Max() const { return max_; }
  // A negative maximum counts as 0; the position is clamped into the range.
  void SetMax(std::int64_t max);
  std::int64_t Position() const { return position_; }
  // Clamped to 0..Max.
  void SetPosition(std::int64_t position);
  bool Vertical() const { return vertical_; }

  // kColourNone gives the system's colour back.
  ColourValue BarColor() const { return barColor_; }
  void SetBarColor(ColourValue colour);
  ColourValue BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(ColourValue colour);

  // The range the window holds, and where the position lands in it.
  int WindowRange() const;
  int WindowPosition() const;

  void DescribeState(StateList& state) const override;

 protected:
  void HandleWindowMessage(WindowMessage& message) override;

 private:
  void UpdateWindow();
  void LeaveTheme();

  std::int64_t max_ = 100;
  std::int64_t position_ = 0;
  bool vertical_;
  ColourValue barColor_ = kColourNone;
  ColourValue backgroundColor_ = kColourNone;
  bool themeLeft_ = false;
};

}  // namespace forms
