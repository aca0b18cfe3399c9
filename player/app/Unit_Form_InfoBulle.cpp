// The info bubble's behaviour: its skin, its layout for a text, the slide
// and fade, the click that brings up the main window, and its painting.
#include "player/app/Unit_Form_InfoBulle.h"

#include <algorithm>

#include "base/IniFile.h"
#include "forms/Wide.h"
#include "player/app/Unit1.h"
#include "skin/NineSlice.h"
#include "skin/SkinFormat.h"
#include "skin/platform/SkinPainting.h"

namespace player {

namespace {

constexpr int kMinimumWidth = 100;
constexpr int kMinimumHeight = 40;

forms::ColourValue Shown(sv::skin::ColourValue value, sv::skin::ColourValue fallback) {
  return sv::skin::ScreenColour(value, fallback);
}

int PointsToPixels(int points) {
  HDC screen = GetDC(nullptr);
  const int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return MulDiv(points, pixelsPerInch, 72);
}

// Cut on a character boundary: a tag of thousands of characters is not
// laid out whole.
std::string Shortened(const std::string& text) {
  std::wstring wide = forms::widen(text);
  if (wide.size() <= static_cast<std::size_t>(kBubbleTextLimit)) return text;
  std::size_t cut = kBubbleTextLimit;
  if (cut > 0 && wide[cut - 1] >= 0xD800 && wide[cut - 1] <= 0xDBFF) --cut;
  wide.resize(cut);
  return forms::narrow(wide);
}

constexpr UINT kTextFlags = DT_NOPREFIX | DT_LEFT | DT_TOP | DT_EXPANDTABS;
constexpr UINT kWrapFlags = DT_WORDBREAK | DT_EDITCONTROL;

}  // namespace

TBubbleLabel::TBubbleLabel(forms::TComponent* owner, forms::WindowedControl* parent, forms::Bounds bounds)
    : Label(owner, parent, bounds) {}

BubbleSize TBubbleLabel::Measure(int wrapWidth) const {
  const std::wstring text = forms::widen(Caption());
  BubbleSize size;
  MeasureWith([&](HDC dc) {
    if (wrapWidth > 0) {
      // The label takes at least the whole width it wraps in, so that
      // painting breaks the lines where the measure did.
      const SIZE drawn = forms::DrawnTextSize(dc, text, kTextFlags | kWrapFlags, wrapWidth);
      size = {std::max(wrapWidth, static_cast<int>(drawn.cx)), static_cast<int>(drawn.cy)};
      return;
    }
    // Line by line, as painting draws each line: the widest is the width.
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    int lines = 0;
    for (std::size_t start = 0; start <= text.size();) {
      std::size_t end = text.find_first_of(L"\r\n", start);
      if (end == std::wstring::npos) end = text.size();
      if (end > start) {
        const SIZE drawn = forms::DrawnTextSize(dc, std::wstring_view(text).substr(start, end - start),
                                                DT_SINGLELINE | kTextFlags);
        size.Width = std::max(size.Width, static_cast<int>(drawn.cx));
      }
      ++lines;
      if (end == text.size()) break;
      start = end + (text.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
    }
    size.Height = lines * metrics.tmHeight;
  });
  return size;
}

void TBubbleLabel::Paint(HDC dc) {
  // Wrapped lines break where the measure broke them.
  RECT area{0, 0, WordWrap && WrapWidth > 0 ? WrapWidth : Width(), Height()};
  const std::wstring text = forms::widen(Caption());
  HGDIOBJ old = SelectObject(dc, Font().Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, forms::ToColorRef(Font().Color()));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, kTextFlags | (WordWrap ? kWrapFlags : 0));
  SelectObject(dc, old);
}

void TFormInfoBulle::FormCreate() {
  AnimTimer = desktop::TSimpleTimer::CreateWithHandler(50, [this](desktop::TSimpleTimer* timer) {
    TimerInfoBulleTimer(timer);
  });
}

void TFormInfoBulle::ChargeSkin() {
  const std::string folder = Form1 ? Form1->SkinFolderPath() : std::string();
  const sv::IniFile ini(folder + "skin.ini");
  const sv::skin::Skin skin = sv::skin::ReadSkin(ini, sv::skin::Program::Player);
  const sv::skin::BubbleSkin& bubble = skin.Bubble;
  const sv::skin::BubbleSkin defaults;

  // A file that cannot be decoded counts as missing: the rest of the skin
  // still applies.
  BackgroundBitmap = sv::skin::LoadSkinPicture(folder, bubble.Back.BitmapFile);
  if (BackgroundBitmap) {
    const int width = BackgroundBitmap->Width(), height = BackgroundBitmap->Height();
    DuplicateW = sv::skin::SplitFor(bubble.Back.DuplicateW, width);
    DuplicateH = sv::skin::SplitFor(bubble.Back.DuplicateH, height);
    SetMinimumSize(width <= kMinimumWidth ? kMinimumWidth : width, height <= kMinimumHeight ? kMinimumHeight : height);
  }
  SetColor(Shown(bubble.ColorBackGround, defaults.ColorBackGround));
  SetTransparentColorValue(Shown(bubble.Back.TransparentColor, defaults.Back.TransparentColor));
  SetTransparentColor(bubble.Back.TransparentActivate);
  DoubleBuffered = true;
  TextMargins = {bubble.TextLeftDistance, bubble.TextTopDistance, bubble.TextRightDistance,
                 bubble.TextBottomDistance};

  forms::TextFont& font = Label1->Font();
  font.SetColor(Shown(bubble.ColorText, defaults.ColorText));
  font.SetName(skin.BalloonFont.Name);
  font.SetHeight(PointsToPixels(skin.BalloonFont.Size));
  font.SetBold(skin.BalloonFont.Bold);
  font.SetItalic(skin.BalloonFont.Italic);
  Invalidate();
}

void TFormInfoBulle::Affiche(const std::string& Text) {
  Label1->WordWrap = false;
  Label1->SetCaption(Shortened(Text));

  const BubbleSize* cover = nullptr;
  BubbleSize coverBox;
  if (Form1 && Form1->AlbumCoverPreview() && Form1->PanelPreviewAlbum->Visible()) {
    ImgAlbum->CopyPictureFrom(*Form1->ImgPreviewAlbum);
    coverBox = CoverBox(Form1->PanelPreviewAlbum->Tag);
    ImgAlbum->SetBounds(TextMargins.Left, TextMargins.Top, coverBox.Width, coverBox.Height);
    ImgAlbum->SetVisible(true);
    cover = &coverBox;
  } else {
    ImgAlbum->ClearPicture();
    ImgAlbum->SetVisible(false);
  }

  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const BubbleLayout layout = LayoutBubble(TextMargins, cover, {MinWidth(), MinHeight()}, screenWidth,
                                           [this](int wrap) {
                                             Label1->WrapWidth = wrap;
                                             return Label1->Measure(wrap);
                                           });
  Label1->WordWrap = layout.Wrapped;
  Label1->SetBounds(layout.LabelLeft, layout.LabelTop, layout.Label.Width, layout.Label.Height);

  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  const BubblePlace place = PlaceBubble(layout.Window, {area.left, area.top, area.right, area.bottom}, screenHeight,
                                        LeftAnchor, TopAnchor);
  HiddenTop = place.HiddenTop;
  ShownTop = place.ShownTop;
  SetBounds(place.Left, HiddenTop, layout.Window.Width, layout.Window.Height);

  SetAlphaBlendValue(0);
  SetAlphaBlend(true);
  ShowNoActivate();
  if (Form1) Form1->TrayIcon1->HideTaskbarButton();
  AnimTimer->SetInterval(kBubbleStepMs);
  AnimTimer->Tag = 0;
  AnimTimer->SetEnabled(true);
  Invalidate();
}

void TFormInfoBulle::StopAndHide() {
  AnimTimer->SetEnabled(false);
  Hide();
}

void TFormInfoBulle::TimerInfoBulleTimer(desktop::TSimpleTimer*) { Animate(); }

// One step. The step paints at once instead of letting other messages run,
// so a tick never runs inside another.
void TFormInfoBulle::Animate() {
  if (!Visible()) ShowNoActivate();
  const BubbleFrame frame{AnimTimer->Tag, Top(), AlphaBlendValue()};
  const BubbleTick tick = NextBubbleTick(frame, {Left(), ShownTop, HiddenTop}, Tag);
  if (tick.Frame.Alpha != frame.Alpha) SetAlphaBlendValue(static_cast<std::uint8_t>(tick.Frame.Alpha));
  if (tick.Frame.Top != frame.Top)
    SetWindowPos(Handle(), nullptr, Left(), tick.Frame.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  AnimTimer->Tag = tick.Frame.State;
  if (tick.Done) {
    StopAndHide();
    return;
  }
  if (tick.Interval != AnimTimer->Interval()) AnimTimer->SetInterval(tick.Interval);
  UpdateWindow(Handle());
}

void TFormInfoBulle::FormMouseDown(forms::TComponent*, forms::MouseButton, forms::ShiftState, int, int) {
  if (Form1) Form1->AfficheForm(0, false);
}

void TFormInfoBulle::FormPaint(forms::TComponent*) {
  HDC dc = PaintingDC();
  if (!BackgroundBitmap || !dc) return;
  sv::skin::PaintNineSlice(dc, *BackgroundBitmap, ClientWidth(), ClientHeight(), DuplicateW, DuplicateH);
}

void TFormInfoBulle::DescribeState(forms::StateList& state) const {
  state.emplace_back("Animating", AnimTimer && AnimTimer->Enabled() ? "1" : "0");
  state.emplace_back("AnimState", std::to_string(AnimTimer ? AnimTimer->Tag : 0));
  state.emplace_back("Opacity", std::to_string(Tag));
  state.emplace_back("Alpha", std::to_string(AlphaBlendValue()));
  state.emplace_back("ShownTop", std::to_string(ShownTop));
  state.emplace_back("HiddenTop", std::to_string(HiddenTop));
  // One line per key: line breaks are written as the text "\r\n".
  std::string text = Label1->Caption();
  for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 4))
    text.replace(at, 2, "\\r\\n");
  state.emplace_back("Text", text);
  state.emplace_back("WordWrap", Label1->WordWrap ? "1" : "0");
  state.emplace_back("Margins", std::to_string(TextMargins.Left) + "," + std::to_string(TextMargins.Top) + "," +
                                    std::to_string(TextMargins.Right) + "," + std::to_string(TextMargins.Bottom));
}

}  // namespace player
