#pragma once
// A flat button without a window, painted by its parent: a picture centred
// on it, sunken while pressed or down. Buttons of one group (GroupIndex
// above 0, same parent) behave as radio buttons: at most one is down, and
// clicking the one that is down lets it up only when AllowAllUp is set. A
// button of group 0 never stays down.
#include <windows.h>

#include <memory>

#include "forms/Control.h"
#include "forms/PixelBitmap.h"

namespace forms {

class SpeedButton : public Control {
 public:
  SpeedButton(TComponent* owner, WindowedControl* parent, Bounds bounds);

  // The picture is shared, not copied: the player swaps its play and pause
  // pictures in and out. Its bottom-left pixel's colour is transparent.
  const std::shared_ptr<const PixelBitmap>& Glyph() const { return glyph_; }
  void SetGlyph(std::shared_ptr<const PixelBitmap> glyph);

  bool Down() const { return down_; }
  // Putting a button down lets the others of its group up; letting up the
  // down button of a group that needs one down changes nothing.
  void SetDown(bool down);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int groupIndex);
  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool allowAllUp) { allowAllUp_ = allowAllUp; }

  void MouseDown(MouseButton button, ShiftState shift, int x, int y) override;
  void MouseMove(ShiftState shift, int x, int y) override;
  void MouseUp(MouseButton button, ShiftState shift, int x, int y) override;
  void Paint(HDC dc) override;
  void DescribeState(StateList& state) const override;

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }
  void SetPressed(bool pressed);
  void DrawGlyph(HDC dc, int x, int y) const;

  std::shared_ptr<const PixelBitmap> glyph_;
  bool down_ = false;
  int groupIndex_ = 0;
  bool allowAllUp_ = false;
  // The left button went down on the button and is still held.
  bool tracking_ = false;
  // Tracking with the mouse over the button: drawn sunken.
  bool pressed_ = false;
};

}  // namespace forms
