#include "forms/TextFont.h"

#include <algorithm>

#include "forms/Wide.h"

namespace forms {

void TextFont::SetName(std::string name) {
  if (name == name_) return;
  name_ = std::move(name);
  Changed();
}

void TextFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

void TextFont::SetColor(ColourValue color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TextFont::SetBold(bool bold) {
  if (bold == bold_) return;
  bold_ = bold;
  Changed();
}

void TextFont::SetItalic(bool italic) {
  if (italic == italic_) return;
  italic_ = italic;
  Changed();
}

void TextFont::SetUnderline(bool underline) {
  if (underline == underline_) return;
  underline_ = underline;
  Changed();
}

void TextFont::Assign(const TextFont& other) {
  if (&other == this) return;
  name_ = other.name_;
  height_ = other.height_;
  color_ = other.color_;
  bold_ = other.bold_;
  italic_ = other.italic_;
  underline_ = other.underline_;
  Changed();
}

HFONT TextFont::Handle() const {
  if (!font_) {
    LOGFONTW description{};
    description.lfHeight = -height_;
    description.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
    description.lfItalic = italic_ ? TRUE : FALSE;
    description.lfUnderline = underline_ ? TRUE : FALSE;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = NONANTIALIASED_QUALITY;
    std::wstring face = widen(name_);
    face.resize(std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
    std::copy(face.begin(), face.end(), description.lfFaceName);
    font_.Reset(CreateFontIndirectW(&description));
  }
  return font_.Get();
}

void TextFont::Changed() {
  font_.Reset();
  if (OnChange) OnChange();
}

}  // namespace forms
