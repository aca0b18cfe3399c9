// The skin on the main window: LoadSkin applies the active skin folder's
// skin.ini, the layout follows the window's size from the skin's design
// size, and the background and the playlist are painted in its colours.
#include <algorithm>
#include <array>

#include "base/IniFile.h"
#include "base/TextFile.h"
#include "forms/IconImage.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Egaliseur.h"
#include "player/app/Unit_Form_InfoBulle.h"
#include "player/app/Unit_Form_Options.h"
#include "skin/NineSlice.h"
#include "skin/SkinLayout.h"
#include "skin/platform/SkinPainting.h"

namespace player {

namespace {

using sv::skin::ButtonPicture;
using sv::skin::LoadSkinPicture;

forms::ColourValue Shown(sv::skin::ColourValue value, sv::skin::ColourValue fallback) {
  return sv::skin::ScreenColour(value, fallback);
}

// The default skin's pictures built into the program, in the order of the
// button keys.
constexpr const wchar_t* kBuiltInGlyphs[sv::skin::kButtonPictureCount] = {
    L"GLYPH_PLAY", L"GLYPH_PAUSE", L"GLYPH_NEXT", L"GLYPH_PREV",
    L"GLYPH_REP",  L"GLYPH_LISTE", L"GLYPH_EQUALIZER", L"GLYPH_OPTIONS"};

}  // namespace

void TForm1::LoadSkin(bool Full) {
  const sv::IniFile ini(SkinFolder + "skin.ini");
  const sv::skin::Skin skin = sv::skin::ReadSkin(ini, sv::skin::Program::Player);
  const sv::skin::Skin defaults = sv::skin::DefaultSkin(sv::skin::Program::Player);

  // Everything is decoded first: the window changes only once the new
  // pictures are in hand, and its size never does.
  auto background = LoadSkinPicture(SkinFolder, skin.Back.BitmapFile);
  std::array<std::shared_ptr<forms::PixelBitmap>, sv::skin::kButtonPictureCount> glyphs;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    glyphs[i] = LoadSkinPicture(SkinFolder, skin.Buttons[i]);
    // A file missing at the first load (no default skin beside the
    // program): the built-in picture, which later skins' files replace.
    if (!glyphs[i] && !SkinApplied) glyphs[i] = sv::skin::LoadResourcePicture(kBuiltInGlyphs[i]);
  }

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
  ApplySkinFonts(skin.Font);
  ListBox1->SetHorizontalExtent(0);
  ListBox1->Invalidate();

  ProgressBar1->SetBackgroundColor(Shown(skin.ColorFondProgress, defaults.ColorFondProgress));
  ProgressBar2->SetBackgroundColor(Shown(skin.ColorFondVolume, defaults.ColorFondVolume));
  ProgressBar1->SetBarColor(Shown(skin.ColorProgress, defaults.ColorProgress));
  ProgressBar2->SetBarColor(Shown(skin.ColorVolume, defaults.ColorVolume));
  ProgressBar1->Tag = static_cast<int>(ProgressBar1->BarColor());
  ProgressBar2->Tag = static_cast<int>(ProgressBar2->BarColor());
  LabelTemps->Font().SetColor(Shown(skin.ColorTimeText, defaults.ColorTimeText));

  if (Full) {
    FormInfoBulle->ChargeSkin();
    if (FormEgaliseur) FormEgaliseur->FormShow(FormEgaliseur);
    const SettingsFile settings(IniFileName);
    if (FormOptions) FormOptions->FillIcons(settings);
    LoadIcons(settings.ReadIconPath(IconKind::MainWindow));
  }
  Invalidate();
}

// The settings' icon (a full path; empty or unloadable: the program's own)
// for the window, and its small image for the tray over the same.
void TForm1::LoadIcons(const std::string& iconPath) {
  const HINSTANCE module = GetModuleHandleW(nullptr);
  forms::IconImage trayIcon;
  trayIcon.TakeHandle(forms::IconHandle(static_cast<HICON>(LoadImageW(module, L"MAINICON", IMAGE_ICON, 16, 16, 0))));
  if (HICON builtIn = static_cast<HICON>(LoadImageW(module, L"MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE))) {
    SetIcon(builtIn);
    DestroyIcon(builtIn);
  }
  IconFile.clear();
  if (!iconPath.empty() && sv::FileExists(iconPath)) {
    forms::IconImage icon;
    if (icon.LoadFromFile(iconPath)) {
      SetIcon(icon.Handle());
      trayIcon.Assign(icon);
      IconFile = iconPath;
    }
  }
  if (!trayIcon.Empty()) {
    TrayIcon1->SetIcon(trayIcon);
    TrayIcon1->BackgroundIcon().Assign(trayIcon);
  }
}

// The skin's font for the tree (underlined on its hot node only) and the
// same without underline for the playlist, sized in points on this screen.
// The time label keeps its own font, which its fixed box is sized for: the
// skin gives it only its colour.
void TForm1::ApplySkinFonts(const sv::skin::FontSpec& font) {
  const LOGFONTW description = sv::skin::SkinFontDescription(font, false);
  TreeView1->SetFont(description);
  TreeView1->Invalidate();
  forms::FontHandle created = sv::skin::CreateSkinFont(font, false);
  if (!created) return;
  ListBox1->SetFont(created.Get());
  // The list has the new font: the old one may go now.
  ListFont = std::move(created);
  ListBox1->SetItemHeight(sv::skin::PlaylistItemHeight(ListBox1->Handle(), ListFont.Get()));
}

// The panel and the ten controls where the skin puts them for the window's
// size now: laid out at the design size and moved by their anchors.
void TForm1::ApplyLayout() {
  if (!SkinApplied) return;
  const sv::skin::MainLayout layout =
      sv::skin::LayoutMainWindow(ActiveSkin, sv::skin::kMainControlSizes, {MinWidth(), MinHeight()}, {Width(), Height()});
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
  sv::skin::PaintNineSlice(dc, *BackgroundBitmap, ClientWidth(), ClientHeight(), BackgroundSplitX, BackgroundSplitY);
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
  const sv::skin::PlaylistLook look{List.Color(), ListTextColor, PlayingColor, SelectedColor};
  const int width =
      sv::skin::DrawPlaylistItem(Dc, Rect, List.Item(Index), Selected, Focused, Index == CurrentIndex, look);
  if (width > List.HorizontalExtent()) List.SetHorizontalExtent(width + 10);
}

}  // namespace player
