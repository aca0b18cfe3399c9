#pragma once
// The info bubble: a skinned topmost pop-up that announces each new song
// while the main window is hidden. It slides in near a corner of the work
// area, fades to its opacity (the form's Tag, 0..255), holds four seconds
// and slides away, without ever taking the focus. Its caption is the
// current song's display text, which the main window keeps up to date; the
// text it shows is the one given to Affiche. Its skin also dresses the
// equalizer window.
#include <memory>
#include <string>

#include "desktop/SimpleTimer.h"
#include "forms/Form.h"
#include "forms/ImageView.h"
#include "forms/Label.h"
#include "forms/PixelBitmap.h"
#include "player/BubbleRules.h"

namespace player {

// A label that wraps its lines within its width when asked, and measures
// its text in its font.
class TBubbleLabel : public forms::Label {
 public:
  TBubbleLabel(forms::TComponent* owner, forms::WindowedControl* parent, forms::Bounds bounds);

  bool WordWrap = false;
  // The width the lines wrap in; the label may be wider when a line's
  // glyphs reach past it.
  int WrapWidth = 0;
  // The caption's size: lines as given, or wrapped within `wrapWidth`.
  BubbleSize Measure(int wrapWidth) const;

  void Paint(HDC dc) override;
};

class TFormInfoBulle : public forms::TForm {
 public:
  explicit TFormInfoBulle(forms::TComponent* owner);

  // Loads the bubble's look from the current skin folder's skin.ini.
  void ChargeSkin();
  // Announces `Text` (the tray hint: the product word, CR LF, the title).
  void Affiche(const std::string& Text);
  // Ends any animation and hides the bubble (the main window shows).
  void StopAndHide();

  void TimerInfoBulleTimer(desktop::TSimpleTimer* Sender);
  void FormMouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X, int Y);
  void FormPaint(forms::TComponent* Sender);

  // Components.
  TBubbleLabel* Label1 = nullptr;
  forms::ImageView* ImgAlbum = nullptr;

  // The skin.
  std::shared_ptr<forms::PixelBitmap> BackgroundBitmap;
  int DuplicateW = 0;
  int DuplicateH = 0;
  BubbleMargins TextMargins;

  bool LeftAnchor = false;
  bool TopAnchor = false;
  int HiddenTop = 0;
  int ShownTop = 0;
  // Its Tag is the animation's state: 0 in, 1 holding, 2 out.
  std::unique_ptr<desktop::TSimpleTimer> AnimTimer;

  void DescribeState(forms::StateList& state) const override;

 private:
  void FormCreate();
  void Animate();
};

}  // namespace player
