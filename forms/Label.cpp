#include "forms/Label.h"

#include <algorithm>
#include <string>

#include "forms/Wide.h"

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

SIZE Label::TextSize() const {
  // A memory context, as the double-buffered parents paint into.
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return {};
  HGDIOBJ old = SelectObject(dc, font_.Handle());
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  // Line by line: the widest line and the lines' heights.
  SIZE size{0, 0};
  const std::wstring text = widen(caption_);
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
  // DrawText's own measure, which the painting follows, may be wider.
  RECT drawn{0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &drawn,
            DT_NOPREFIX | DT_LEFT | DT_TOP | DT_CALCRECT | (MultiLine ? 0 : DT_SINGLELINE));
  size.cx = std::max<LONG>(size.cx, drawn.right - drawn.left);
  size.cy = std::max<LONG>(size.cy, drawn.bottom - drawn.top);
  SelectObject(dc, old);
  DeleteDC(dc);
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
