#include "desktop/TextTrayIcon.h"

#include "forms/SmallImageList.h"

namespace desktop {

namespace {
constexpr int kSpan = TTextTrayIcon::kIconSize - 1;
constexpr RECT kWholeIcon{0, 0, TTextTrayIcon::kIconSize, TTextTrayIcon::kIconSize};
}  // namespace

std::vector<TextIconLine> LayoutTextIcon(std::string_view text, int offsetX, int offsetY, int lineDistance,
                                         const TextMeasure& measure) {
  std::vector<TextIconLine> lines;
  std::size_t firstBreak = text.find('\r');
  if (firstBreak == std::string_view::npos) {
    SIZE size = measure(text);
    lines.push_back({std::string(text), (kSpan - size.cx) / 2 + offsetX, (kSpan - size.cy) / 2 + offsetY});
    return lines;
  }
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find('\r', start);
    if (end == std::string_view::npos) {
      parts.push_back(text.substr(start));
      break;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  const int lineHeight = measure(text.substr(firstBreak)).cy + lineDistance;
  const int count = static_cast<int>(parts.size());
  const int top = (kSpan - count * lineHeight) / 2 + offsetY;
  for (int i = 0; i < count; ++i) {
    SIZE size = measure(parts[i]);
    lines.push_back({std::string(parts[i]), (kSpan - size.cx) / 2 + offsetX, top + i * lineHeight});
  }
  return lines;
}

forms::ColourValue TextIconKeyColour(forms::ColourValue color, forms::ColourValue fontColor) {
  if (color == forms::kColourNone || color == fontColor) return forms::ToColorRef(fontColor) ^ 0xFFFFFF;
  return color;
}

TTextTrayIcon::TTextTrayIcon(forms::TComponent* owner) : TTrayIcon(owner) {
  font_.OnChange = [this] { RedrawTextIcon(); };
  options_.OnChange = [this](TOffsetOptions*) { RedrawTextIcon(); };
  backgroundIcon_.OnChange = [this] { RedrawTextIcon(); };
}

void TTextTrayIcon::SetText(std::string text) {
  text_ = std::move(text);
  RedrawTextIcon();
}

void TTextTrayIcon::SetColor(forms::ColourValue color) {
  color_ = color;
  RedrawTextIcon();
}

void TTextTrayIcon::SetBorder(bool border) {
  border_ = border;
  RedrawTextIcon();
}

void TTextTrayIcon::SetBorderColor(forms::ColourValue color) {
  borderColor_ = color;
  RedrawTextIcon();
}

void TTextTrayIcon::SetOptions(const TOffsetOptions& options) {
  options_.CopyValues(options);
  RedrawTextIcon();
}

void TTextTrayIcon::Draw() {
  auto bitmap = std::make_unique<forms::PixelBitmap>(kIconSize, kIconSize);
  keyColour_ = TextIconKeyColour(color_, font_.Color());
  {
    forms::BitmapPainter surface(*bitmap);
    surface.FillRect(kWholeIcon, forms::ToColorRef(keyColour_));
    surface.SetFont(font_);
    auto lines = LayoutTextIcon(text_, options_.OffsetX(), options_.OffsetY(), options_.LineDistance(),
                                [&surface](std::string_view line) { return surface.TextExtent(line); });
    for (const TextIconLine& line : lines) surface.WriteText(line.X, line.Y, line.Text);
    if (border_) surface.FrameRect(kWholeIcon, forms::ToColorRef(borderColor_));
  }
  textBitmap_ = std::move(bitmap);
}

namespace {

// The pixels of a drawing and its transparent colour.
std::vector<std::uint32_t> Signature(const forms::PixelBitmap& bitmap, forms::ColourValue transparent) {
  std::vector<std::uint32_t> pixels;
  pixels.reserve(TTextTrayIcon::kIconSize * TTextTrayIcon::kIconSize + 1);
  for (int y = 0; y < TTextTrayIcon::kIconSize; ++y)
    for (int x = 0; x < TTextTrayIcon::kIconSize; ++x) pixels.push_back(bitmap.Pixel(x, y));
  pixels.push_back(transparent);
  return pixels;
}

}  // namespace

void TTextTrayIcon::RedrawTextIcon() {
  SetCycleIcons(false);
  Draw();
  forms::IconImage drawn;
  std::vector<std::uint32_t> signature;
  if (backgroundIcon_.Empty()) {
    // A real background colour makes an opaque square; none leaves only
    // the text visible.
    if (color_ != forms::kColourNone) keyColour_ = forms::kColourNone;
    signature = Signature(*textBitmap_, keyColour_);
    // A step of the text that changes no pixel (it is still outside the
    // square) must not cost the shell an update.
    if (!Icon().Empty() && Icon().Handle() == shownIcon_ && signature == shownSignature_) return;
    MakeMaskedIcon(*textBitmap_, drawn, keyColour_);
  } else {
    const forms::ColourValue mask = TextIconKeyColour(color_, font_.Color());
    forms::PixelBitmap combined(kIconSize, kIconSize);
    {
      forms::BitmapPainter surface(combined);
      surface.FillRect(kWholeIcon, forms::ToColorRef(mask));
      surface.DrawIcon(backgroundIcon_.Handle(), 0, 0, kIconSize, kIconSize);
      surface.DrawTransparent(*textBitmap_, 0, 0, forms::ToColorRef(keyColour_));
    }
    signature = Signature(combined, mask);
    if (!Icon().Empty() && Icon().Handle() == shownIcon_ && signature == shownSignature_) return;
    forms::SmallImageList list(nullptr);
    drawn.TakeHandleQuietly(list.GetIcon(list.AddMasked(combined.Handle(), mask)));
  }
  SetIcon(drawn);
  shownIcon_ = Icon().Handle();
  shownSignature_ = std::move(signature);
}

}  // namespace desktop
