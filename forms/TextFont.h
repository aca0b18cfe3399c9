#pragma once
// A font description (face, pixel height, colour, style) that makes its GDI
// font on demand and tells its owner of every change.
#include <windows.h>

#include <functional>
#include <string>

#include "forms/Colours.h"
#include "forms/GdiObject.h"

namespace forms {

class TextFont {
 public:
  TextFont() = default;
  TextFont(const TextFont&) = delete;
  TextFont& operator=(const TextFont&) = delete;

  const std::string& Name() const { return name_; }
  void SetName(std::string name);
  // The height of the characters in pixels, without internal leading.
  int Height() const { return height_; }
  void SetHeight(int height);
  ColourValue Color() const { return color_; }
  void SetColor(ColourValue color);
  bool Bold() const { return bold_; }
  void SetBold(bool bold);
  bool Italic() const { return italic_; }
  void SetItalic(bool italic);
  bool Underline() const { return underline_; }
  void SetUnderline(bool underline);

  // Copies every property, then tells of the change once.
  void Assign(const TextFont& other);

  // Made on first use and kept until a property changes. Drawn without
  // smoothing: tiny icons are keyed on exact colours, and blended edge
  // pixels would show as a halo.
  HFONT Handle() const;

  std::function<void()> OnChange;

 private:
  void Changed();

  std::string name_ = "Tahoma";
  int height_ = 11;
  ColourValue color_ = 0;
  bool bold_ = false;
  bool italic_ = false;
  bool underline_ = false;
  mutable FontHandle font_;
};

}  // namespace forms
