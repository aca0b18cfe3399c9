#pragma once
// A tray icon whose 16x16 image is drawn: one or more lines of text in a
// font, centred and shifted by offsets, over an optional background icon,
// with an optional border. Every change draws the icon again.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/TrayIcon.h"
#include "forms/Colours.h"
#include "forms/IconImage.h"
#include "forms/PixelBitmap.h"
#include "forms/TextFont.h"

namespace desktop {

// Offsets of the text from the centre and extra space between lines, in
// pixels. OnChange follows every change of value.
class TOffsetOptions {
 public:
  int OffsetX() const { return offsetX_; }
  void SetOffsetX(int value) { Change(offsetX_, value); }
  int OffsetY() const { return offsetY_; }
  void SetOffsetY(int value) { Change(offsetY_, value); }
  int LineDistance() const { return lineDistance_; }
  void SetLineDistance(int value) { Change(lineDistance_, value); }

  // Takes the three values without OnChange.
  void CopyValues(const TOffsetOptions& other) {
    offsetX_ = other.offsetX_;
    offsetY_ = other.offsetY_;
    lineDistance_ = other.lineDistance_;
  }

  std::function<void(TOffsetOptions* Sender)> OnChange;

 private:
  void Change(int& field, int value) {
    if (field == value) return;
    field = value;
    if (OnChange) OnChange(this);
  }
  int offsetX_ = 0;
  int offsetY_ = 0;
  int lineDistance_ = 0;
};

// One line of a text icon and where its top-left corner goes.
struct TextIconLine {
  std::string Text;
  int X;
  int Y;
};

// Width and height of a text in the icon's font.
using TextMeasure = std::function<SIZE(std::string_view text)>;

// Places the text in a 16x16 square: lines split at carriage returns, each
// centred across, the block centred down, then shifted by the offsets.
// Halves truncate towards zero, so the centre of an even gap leans up-left.
std::vector<TextIconLine> LayoutTextIcon(std::string_view text, int offsetX, int offsetY, int lineDistance,
                                         const TextMeasure& measure);

// The colour that stands for "transparent" in the drawing: the background
// colour, unless it is none or the font's own colour; then the font colour
// inverted, so the text never vanishes into its background.
forms::ColourValue TextIconKeyColour(forms::ColourValue color, forms::ColourValue fontColor);

class TTextTrayIcon : public TTrayIcon {
 public:
  static constexpr int kIconSize = 16;

  explicit TTextTrayIcon(forms::TComponent* owner);

  forms::IconImage& BackgroundIcon() { return backgroundIcon_; }
  void SetBackgroundIcon(const forms::IconImage& icon) { backgroundIcon_.Assign(icon); }
  const std::string& Text() const { return text_; }
  // Lines are separated by carriage returns.
  void SetText(std::string text);
  forms::TextFont& Font() { return font_; }
  void SetFont(const forms::TextFont& font) { font_.Assign(font); }
  forms::ColourValue Color() const { return color_; }
  void SetColor(forms::ColourValue color);
  bool Border() const { return border_; }
  void SetBorder(bool border);
  forms::ColourValue BorderColor() const { return borderColor_; }
  void SetBorderColor(forms::ColourValue color);
  TOffsetOptions& Options() { return options_; }
  // Copies the three values, then redraws once.
  void SetOptions(const TOffsetOptions& options);

  // Draws the text bitmap and makes the tray icon from it.
  void RedrawTextIcon();
  // The last drawing, before transparency is applied; null before the first.
  const forms::PixelBitmap* TextBitmap() const { return textBitmap_.get(); }

 protected:
  virtual void Draw();

 private:
  forms::TextFont font_;
  forms::ColourValue color_ = forms::kColourButtonFace;
  forms::ColourValue keyColour_ = forms::kColourNone;
  bool border_ = false;
  forms::ColourValue borderColor_ = 0;
  std::string text_;
  std::unique_ptr<forms::PixelBitmap> textBitmap_;
  TOffsetOptions options_;
  forms::IconImage backgroundIcon_;
  // The icon this object last handed to the tray, and what it showed.
  HICON shownIcon_ = nullptr;
  std::vector<std::uint32_t> shownSignature_;
};

}  // namespace desktop
