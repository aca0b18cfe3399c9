// The skin on the main window: LoadSkin applies the active skin folder's
// skin.ini, the layout follows the window's size from the skin's design
// size, and the background and the playlist are painted in its colours.
#include <algorithm>
#include <array>

#include "base/IniFile.h"
#include "base/TextFile.h"
#include "forms/Wide.h"
#include "player/WindowRules.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"
#include "skin/BmpFile.h"
#include "skin/NineSlice.h"
#include "skin/SkinColours.h"
#include "skin/SkinLayout.h"
#include "skin/SkinPaths.h"

namespace player {

namespace {

using sv::skin::ButtonPicture;
using sv::skin::ControlId;

// The controls' own sizes, in the order of the skin's control keys; the
// bars' widths come from the skin.
constexpr std::array<sv::skin::Size, sv::skin::kControlCount> kControlSizes = {{
    {10, 12},  // BtnEgaliseur
    {10, 12},  // BtnOptions
    {36, 24},  // BtnRep
    {36, 24},  // BtnListe
    {54, 14},  // LabelTemps
    {0, 8},    // BarPos
    {0, 8},    // BarVol
    {24, 24},  // BtnPrev
    {24, 24},  // BtnPlay
    {24, 24},  // BtnNext
}};

// A bitmap file of the skin, or nothing when it is missing or cannot be
// decoded: a bad file is skipped like a missing one.
std::shared_ptr<forms::PixelBitmap> LoadPicture(const std::string& folder, const std::string& value) {
  const auto image = sv::skin::LoadBmpFile(sv::skin::ResolveSkinPath(folder, value));
  if (!image) return nullptr;
  auto bitmap = std::make_shared<forms::PixelBitmap>(image->Width, image->Height);
  bitmap->SetPixels(image->Pixels.data());
  return bitmap;
}

// Stored colours come as the skin file holds them; values no painter can
// show give the skin's default for that key.
forms::ColourValue Shown(sv::skin::ColourValue value, sv::skin::ColourValue fallback) {
  const sv::skin::ShownColour shown = sv::skin::ShowColour(value, fallback);
  if (shown.SystemIndex) return 0x80000000u | static_cast<forms::ColourValue>(*shown.SystemIndex);
  return shown.Rgb;
}

}  // namespace

void TForm1::LoadSkin(bool Full) {
  const sv::IniFile ini(SkinFolder + "skin.ini");
  const sv::skin::Skin skin = sv::skin::ReadSkin(ini, sv::skin::Program::Player);
  const sv::skin::Skin defaults = sv::skin::DefaultSkin(sv::skin::Program::Player);

  // Everything is decoded first: the window changes only once the new
  // pictures are in hand, and its size never does.
  auto background = LoadPicture(SkinFolder, skin.Back.BitmapFile);
  std::array<std::shared_ptr<forms::PixelBitmap>, sv::skin::kButtonPictureCount> glyphs;
  for (int i = 0; i < sv::skin::kButtonPictureCount; ++i)
    glyphs[static_cast<std::size_t>(i)] = LoadPicture(SkinFolder, skin.Buttons[static_cast<std::size_t>(i)]);

  BackgroundBitmap = background;
  if (BackgroundBitmap) {
    BackgroundSplitX = sv::skin::SplitFor(skin.Back.DuplicateW, BackgroundBitmap->Width());
    BackgroundSplitY = sv::skin::SplitFor(skin.Back.DuplicateH, BackgroundBitmap->Height());
    const sv::skin::Size bitmap{BackgroundBitmap->Width(), BackgroundBitmap->Height()};
    const sv::skin::Size minimum = sv::skin::MinimumSize({MinWidth(), MinHeight()}, &bitmap);
    SetMinimumSize(minimum.Width, minimum.Height);
  }
  SetColor(Shown(skin.ColorBackGround, defaults.ColorBackGround));
  SetTransparentColorValue(Shown(skin.Back.TransparentColor, defaults.Back.TransparentColor));
  SetTransparentColor(skin.Back.TransparentActivate);
  DoubleBuffered = true;

  ActiveSkin = skin;
  SkinApplied = true;
  ApplyLayout();

  auto glyph = [&](ButtonPicture picture) { return glyphs[static_cast<std::size_t>(picture)]; };
  const std::pair<forms::SpeedButton*, ButtonPicture> buttons[] = {
      {SpdBtnEgaliseur, ButtonPicture::Equalizer}, {SpdBtnOptions, ButtonPicture::Options},
      {SpdBtnRep, ButtonPicture::Rep},             {SpdBtnListe, ButtonPicture::Liste},
      {SpdBtnNext, ButtonPicture::Next},           {SpdBtnPrev, ButtonPicture::Prev}};
  for (const auto& [button, picture] : buttons)
    if (auto bitmap = glyph(picture)) button->SetGlyph(bitmap);
  if (auto play = glyph(ButtonPicture::Play)) ImagePlay = play;
  if (auto pause = glyph(ButtonPicture::Pause)) ImagePause = pause;
  SetPlayGlyph(TimerAvancement && TimerAvancement->Enabled());

  TreeView1->SetColor(Shown(skin.ClFondRep, defaults.ClFondRep));
  TreeView1->SetFontColor(Shown(skin.ClTexteRep, defaults.ClTexteRep));
  TreeView1->Tag = static_cast<int>(Shown(skin.ClSurvolRep, defaults.ClSurvolRep));
  Panel_Listes->SetColor(Shown(skin.ClFondListe, defaults.ClFondListe));
  Splitter1->SetColor(Panel_Listes->Color());
  ListBox1->SetColor(Shown(skin.ClFondListe, defaults.ClFondListe));
  ListTextColor = Shown(skin.ClTexteListe, defaults.ClTexteListe);
  PlayingColor = Shown(skin.ClPlayingListe, defaults.ClPlayingListe);
  SelectedColor = Shown(skin.ClSelectedListe, defaults.ClSelectedListe);
  ApplyListFonts(skin.Font);
  ListBox1->SetHorizontalExtent(0);
  ListBox1->Invalidate();

  ProgressBar1->SetBackgroundColor(Shown(skin.ColorFondProgress, defaults.ColorFondProgress));
  ProgressBar2->SetBackgroundColor(Shown(skin.ColorFondVolume, defaults.ColorFondVolume));
  ProgressBar1->SetBarColor(Shown(skin.ColorProgress, defaults.ColorProgress));
  ProgressBar2->SetBarColor(Shown(skin.ColorVolume, defaults.ColorVolume));
  ProgressBar1->Tag = static_cast<int>(ProgressBar1->BarColor());
  ProgressBar2->Tag = static_cast<int>(ProgressBar2->BarColor());
  LabelTemps->Font().SetColor(Shown(skin.ColorTimeText, defaults.ColorTimeText));

  if (Full) FormInfoBulle->ChargeSkin();
  Invalidate();
}

// The skin's font for the tree (underlined on its hot node only) and the
// same without underline for the playlist, sized in points on this screen.
void TForm1::ApplyListFonts(const sv::skin::FontSpec& font) {
  HDC screen = GetDC(nullptr);
  const int pixelsPerInch = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  LOGFONTW description{};
  description.lfHeight = -MulDiv(font.Size, pixelsPerInch, 72);
  description.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
  description.lfItalic = font.Italic ? TRUE : FALSE;
  description.lfCharSet = DEFAULT_CHARSET;
  std::wstring face = forms::widen(font.Name);
  face.resize(std::min<std::size_t>(face.size(), LF_FACESIZE - 1));
  std::copy(face.begin(), face.end(), description.lfFaceName);
  TreeView1->SetFont(description);
  TreeView1->Invalidate();
  forms::FontHandle created(CreateFontIndirectW(&description));
  if (!created) return;
  ListBox1->SetFont(created.Get());
  // The list has the new font: the old one may go now.
  ListFont = std::move(created);

  HDC dc = GetDC(ListBox1->Handle());
  if (!dc) return;
  HGDIOBJ old = SelectObject(dc, ListFont.Get());
  SIZE size{};
  GetTextExtentPoint32W(dc, L"Wg", 2, &size);
  SelectObject(dc, old);
  ReleaseDC(ListBox1->Handle(), dc);
  ListBox1->SetItemHeight(ListItemHeight(size.cy));
}

// The panel and the ten controls where the skin puts them for the window's
// size now: laid out at the design size and moved by their anchors.
void TForm1::ApplyLayout() {
  if (!SkinApplied) return;
  const sv::skin::MainLayout layout =
      sv::skin::LayoutMainWindow(ActiveSkin, kControlSizes, {MinWidth(), MinHeight()}, {Width(), Height()});
  Panel_Listes->SetBounds(layout.Lists.Left, layout.Lists.Top, layout.Lists.Width, layout.Lists.Height);
  forms::Control* controls[sv::skin::kControlCount] = {SpdBtnEgaliseur, SpdBtnOptions, SpdBtnRep,   SpdBtnListe,
                                                       LabelTemps,      ProgressBar1,  ProgressBar2, SpdBtnPrev,
                                                       SpdBtnPlay,      SpdBtnNext};
  for (int i = 0; i < sv::skin::kControlCount; ++i) {
    const sv::skin::Box& box = layout.Controls[static_cast<std::size_t>(i)];
    controls[i]->SetBounds(box.Left, box.Top, box.Width, box.Height);
  }
}

void TForm1::FormPaint(forms::TComponent*) {
  HDC dc = PaintingDC();
  if (!BackgroundBitmap || !dc) return;
  forms::OffscreenDC source;
  HGDIOBJ old = SelectObject(source.Get(), BackgroundBitmap->Handle());
  SetStretchBltMode(dc, COLORONCOLOR);
  for (const sv::skin::SlicePiece& piece :
       sv::skin::NineSlice(BackgroundBitmap->Width(), BackgroundBitmap->Height(), ClientWidth(), ClientHeight(),
                           BackgroundSplitX, BackgroundSplitY)) {
    StretchBlt(dc, piece.Dest.Left, piece.Dest.Top, piece.Dest.Width(), piece.Dest.Height(), source.Get(),
               piece.Source.Left, piece.Source.Top, piece.Source.Width(), piece.Source.Height(), SRCCOPY);
  }
  SelectObject(source.Get(), old);
}

void TForm1::FormResize(forms::TComponent*) {
  ApplyLayout();
  if (!Initialised) return;
  // Side by side, the tree leaves the playlist at least 35 px of the window.
  if (!SpdBtnRep->Down() && !SpdBtnListe->Down()) {
    if (Width() - 35 < TreeView1->Width()) TreeViewWidth = Width() - 35;
    if (TreeViewWidth > 0) {
      TreeView1->SetWidth(TreeViewWidth);
      AlignLists();
    }
  }
  if (RechercheBox && RechercheBox->Visible()) {
    RechercheBox->SetLeft(std::max(RechercheBox->Left(), ListBox1->Left() + 2));
    RechercheBox->SetTop(
        std::min(RechercheBox->Top(), ListBox1->Top() + ListBox1->Height() - RechercheBox->Height() - 2));
  }
  if (PanelPreviewAlbum->Visible()) {
    PanelPreviewAlbum->SetLeft(std::max(2, PanelPreviewAlbum->Left()));
    PanelPreviewAlbum->SetTop(std::min(PanelPreviewAlbum->Top(), Panel_Listes->Height() - PanelPreviewAlbum->Height() - 2));
  }
  Invalidate();
}

void TForm1::ListBox1DrawItem(forms::ListBox& List, int Index, HDC Dc, const RECT& Rect, bool Selected,
                              bool Focused) {
  const forms::ColourValue back = Selected ? SelectedColor : List.Color();
  forms::BrushHandle brush(CreateSolidBrush(forms::ToColorRef(back)));
  FillRect(Dc, &Rect, brush.Get());
  const std::wstring text = forms::widen(List.Item(Index));
  SetBkMode(Dc, TRANSPARENT);
  SetTextColor(Dc, forms::ToColorRef(Index == CurrentIndex ? PlayingColor : ListTextColor));
  TextOutW(Dc, Rect.left + 2, Rect.top, text.c_str(), static_cast<int>(text.size()));
  if (Focused) DrawFocusRect(Dc, &Rect);
  SIZE size{};
  GetTextExtentPoint32W(Dc, text.c_str(), static_cast<int>(text.size()), &size);
  if (size.cx > List.HorizontalExtent()) List.SetHorizontalExtent(size.cx + 10);
}

}  // namespace player
