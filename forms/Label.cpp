#include "forms/Label.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "forms/GdiObject.h"
#include "forms/PixelBitmap.h"
#include "forms/Wide.h"
#include "forms/WindowedControl.h"

namespace forms {

Label::Label(TComponent* owner, WindowedControl* parent, Bounds bounds) : Control(owner) {
  bounds_ = bounds;
  font_.OnChange = [this] { Invalidate(); };
  SetParent(parent);
}

void Label::Paint(HDC dc) {
  RECT area{0, 0, Width(), Height()};
  const std::wstring text = widen(caption_);
  HGDIOBJ old = SelectObject(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(font_.Color()));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_NOPREFIX | DT_LEFT | DT_TOP | (MultiLine ? 0 : DT_SINGLELINE));
  SelectObject(dc, old);
}

SIZE DrawnTextSize(HDC dc, std::wstring_view text, UINT flags, int wrapWidth) {
  flags &= ~static_cast<UINT>(DT_CALCRECT);
  if (!(flags & DT_WORDBREAK)) wrapWidth = 0;
  RECT measured{0, 0, wrapWidth, 0};
  DrawTextW(dc, text.data(), static_cast<int>(text.size()), &measured, flags | DT_CALCRECT);
  SIZE size{measured.right, measured.bottom};
  if (size.cx <= 0 || size.cy <= 0) return size;
  // Drawn into white with room to spare: the rightmost pixel it inks.
  const int width = static_cast<int>(size.cx) * 2 + 64, height = static_cast<int>(size.cy);
  std::uint32_t* pixels = nullptr;
  OffscreenDC memory;
  BitmapHandle bitmap = CreatePixelSection(width, height, pixels);
  if (!memory.Get() || !bitmap) return size;
  HGDIOBJ oldBitmap = SelectObject(memory.Get(), bitmap.Get());
  HGDIOBJ oldFont = SelectObject(memory.Get(), GetCurrentObject(dc, OBJ_FONT));
  std::fill(pixels, pixels + static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0xFFFFFFu);
  SetBkMode(memory.Get(), TRANSPARENT);
  SetTextColor(memory.Get(), RGB(0, 0, 0));
  RECT area{0, 0, wrapWidth > 0 ? wrapWidth : width, height};
  DrawTextW(memory.Get(), text.data(), static_cast<int>(text.size()), &area, flags | DT_NOCLIP);
  GdiFlush();
  for (int x = width - 1; x >= size.cx; --x) {
    bool inked = false;
    for (int y = 0; y < height && !inked; ++y)
      inked = (pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] &
               0xFFFFFFu) != 0xFFFFFFu;
    if (inked) {
      size.cx = x + 1;
      break;
    }
  }
  SelectObject(memory.Get(), oldFont);
  SelectObject(memory.Get(), oldBitmap);
  return size;
}

void Label::MeasureWith(const std::function<void(HDC)>& measure) const {
  // Measured in a 32-bit bitmap: text drawn into a bitmap (a double-buffered
  // window's buffer, a window surface) may take a few pixels more than the
  // window's own context measures it.
  OffscreenDC memory;
  std::uint32_t* pixels = nullptr;
  BitmapHandle bitmap = CreatePixelSection(1, 1, pixels);
  if (!memory.Get() || !bitmap) return;
  HGDIOBJ oldBitmap = SelectObject(memory.Get(), bitmap.Get());
  HGDIOBJ old = SelectObject(memory.Get(), font_.Handle());
  measure(memory.Get());
  SelectObject(memory.Get(), old);
  SelectObject(memory.Get(), oldBitmap);
}

SIZE Label::TextSize() const {
  SIZE size{0, 0};
  const std::wstring text = widen(caption_);
  MeasureWith([&](HDC dc) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    // Line by line: the widest line and the lines' heights.
    std::size_t start = 0;
    while (true) {
      std::size_t end = MultiLine ? text.find(L'\n', start) : std::wstring::npos;
      std::wstring line = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      SIZE extent{};
      GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
      size.cx = std::max(size.cx, extent.cx);
      size.cy += metrics.tmHeight;
      if (end == std::wstring::npos) break;
      start = end + 1;
    }
    // As drawn, which the painting follows, may be wider.
    const SIZE drawn = DrawnTextSize(dc, text, DT_NOPREFIX | DT_LEFT | DT_TOP | (MultiLine ? 0 : DT_SINGLELINE));
    size.cx = std::max<LONG>(size.cx, drawn.cx);
    size.cy = std::max<LONG>(size.cy, drawn.cy);
  });
  return size;
}

void Label::DescribeState(StateList& state) const {
  char colour[16];
  wsprintfA(colour, "%06X", static_cast<unsigned>(font_.Color()));
  state.emplace_back("FontColor", colour);
  state.emplace_back("FontName", font_.Name());
  state.emplace_back("FontUnderline", font_.Underline() ? "1" : "0");
  state.emplace_back("FontHeight", std::to_string(font_.Height()));
  state.emplace_back("FontBold", font_.Bold() ? "1" : "0");
  state.emplace_back("FontItalic", font_.Italic() ? "1" : "0");
}

}  // namespace forms
