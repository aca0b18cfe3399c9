#include "tests/support/PaintedText.h"

#include "forms/GdiObject.h"
#include "forms/Label.h"
#include "forms/Wide.h"

namespace svtest {

SIZE PaintedTextSize(HWND window, const std::map<std::string, std::string>& label, const std::string& text,
                     UINT flags, int wrapWidth) {
  auto value = [&](const char* key) {
    const auto found = label.find(key);
    return found == label.end() ? std::string() : found->second;
  };
  const std::wstring face = forms::widen(value("FontName"));
  forms::FontHandle font(CreateFontW(-std::stoi("0" + value("FontHeight")), 0, 0, 0,
                                     value("FontBold") == "1" ? FW_BOLD : FW_NORMAL, value("FontItalic") == "1", FALSE,
                                     FALSE, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0, face.c_str()));
  // Drawn in a bitmap of the window's format: the extent, or as far as the
  // glyphs really reach.
  HDC windowDc = GetDC(window);
  forms::OffscreenDC memory;
  forms::BitmapHandle bitmap(CreateCompatibleBitmap(windowDc, 1, 1));
  ReleaseDC(window, windowDc);
  HGDIOBJ oldBitmap = SelectObject(memory.Get(), bitmap.Get());
  HGDIOBJ oldFont = SelectObject(memory.Get(), font.Get());
  const SIZE size = forms::DrawnTextSize(memory.Get(), forms::widen(text), flags, wrapWidth);
  SelectObject(memory.Get(), oldFont);
  SelectObject(memory.Get(), oldBitmap);
  return size;
}

}  // namespace svtest
