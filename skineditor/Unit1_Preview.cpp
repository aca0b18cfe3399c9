// The preview: the player's main window and info bubble as the player
// would show the skin the controls hold, laid out and painted by the same
// skin core and painting code.
#include <algorithm>
#include <filesystem>
#include <optional>

#include "base/TextFile.h"
#include "forms/Dialogs.h"
#include "skin/NineSlice.h"
#include "skin/SkinLayout.h"
#include "skin/SkinPaths.h"
#include "skineditor/Unit1.h"

namespace quorvane {

namespace {

using sv::skin::ControlId;

// Tells versions of a file apart; nothing when there is no such file.
std::optional<long long> FileStamp(const std::string& path) {
  std::error_code error;
  const auto file = sv::PathFromUtf8(path);
  if (!std::filesystem::is_regular_file(file, error)) return std::nullopt;
  const auto time = std::filesystem::last_write_time(file, error);
  if (error) return std::nullopt;
  const auto size = std::filesystem::file_size(file, error);
  return static_cast<long long>(time.time_since_epoch().count()) ^ static_cast<long long>(error ? 0 : size);
}

}  // namespace

std::shared_ptr<forms::PixelBitmap> TForm1::Picture(const std::string& value) {
  const std::string path = sv::skin::ResolveSkinPath(SkinFolder, value);
  const std::optional<long long> stamp = FileStamp(path);
  if (!stamp) return nullptr;
  auto cached = pictures_.find(path);
  if (cached != pictures_.end() && cached->second.stamp == *stamp) return cached->second.bitmap;
  std::string problem;
  auto bitmap = sv::skin::LoadSkinPicture(SkinFolder, value, &problem);
  pictures_[path] = {*stamp, bitmap};
  if (!bitmap && !problem.empty() && reported_.insert(path).second) {
    pendingReports_.push_back("The bitmap \"" + path + "\" cannot be shown: " + problem);
    PostMessageW(Handle(), kReportPicturesMessage, 0, 0);
  }
  return bitmap;
}

void TForm1::ReportPictures() {
  std::vector<std::string> reports;
  reports.swap(pendingReports_);
  for (const std::string& report : reports) forms::ShowError(Handle(), report);
}

void TForm1::Affichage() {
  if (Tag != 1) return;
  const sv::skin::Skin skin = CurrentDocument().PlayerSkin();
  PaintPreview(skin);
  PaintBubble(skin);
}

void TForm1::PaintPreview(const sv::skin::Skin& skin) {
  const sv::skin::Skin defaults = sv::skin::DefaultSkin(sv::skin::Program::Player);
  auto shown = [](sv::skin::ColourValue value, sv::skin::ColourValue fallback) {
    return sv::skin::ScreenColour(value, fallback);
  };

  // The player's pipeline: a background bitmap sets the minimum size, the
  // window takes the design size raised to it, and the layout follows.
  auto background = Picture(skin.Back.BitmapFile);
  sv::skin::Size minimum{0, 0};
  int splitX = 0;
  int splitY = 0;
  if (background) {
    const sv::skin::Size bitmap{background->Width(), background->Height()};
    minimum = sv::skin::MinimumSize(minimum, &bitmap);
    splitX = sv::skin::SplitFor(skin.Back.DuplicateW, bitmap.Width);
    splitY = sv::skin::SplitFor(skin.Back.DuplicateH, bitmap.Height);
  }
  const sv::skin::Size size{std::max(skin.FormWidth, minimum.Width), std::max(skin.FormHeight, minimum.Height)};
  PanelPreview->SetBounds(PanelPreview->Left(), PanelPreview->Top(), size.Width, size.Height);
  PanelPreview->SetColor(shown(skin.ColorBackGround, defaults.ColorBackGround));
  ImageFond->SetBounds(0, 0, size.Width, size.Height);
  ImageFond->Show(shown(skin.ColorBackGround, defaults.ColorBackGround), background, splitX, splitY);

  const sv::skin::MainLayout layout = sv::skin::LayoutMainWindow(skin, sv::skin::kMainControlSizes, minimum, size);
  Panel_Listes->SetBounds(layout.Lists.Left, layout.Lists.Top, layout.Lists.Width, layout.Lists.Height);
  LayoutLists();
  for (int i = 0; i < sv::skin::kControlCount; ++i) {
    const sv::skin::Box& box = layout.Controls[static_cast<std::size_t>(i)];
    previewControls_[static_cast<std::size_t>(i)]->SetBounds(box.Left, box.Top, box.Width, box.Height);
  }

  // The tree and the list in the skin's colours and font.
  Panel_Listes->SetColor(shown(skin.ClFondListe, defaults.ClFondListe));
  TreeView1->SetColor(shown(skin.ClFondRep, defaults.ClFondRep));
  TreeView1->SetFontColor(shown(skin.ClTexteRep, defaults.ClTexteRep));
  TreeView1->Tag = static_cast<int>(shown(skin.ClSurvolRep, defaults.ClSurvolRep));
  TreeView1->SetFont(sv::skin::SkinFontDescription(skin.Font, false));
  listFont_ = sv::skin::CreateSkinFont(skin.Font, false);
  listLook_ = {shown(skin.ClFondListe, defaults.ClFondListe), shown(skin.ClTexteListe, defaults.ClTexteListe),
               shown(skin.ClPlayingListe, defaults.ClPlayingListe),
               shown(skin.ClSelectedListe, defaults.ClSelectedListe)};
  ListBox1->SetColor(listLook_.Background);
  ListBox1->SetFont(listFont_.Get());
  ListBox1->SetItemHeight(sv::skin::PlaylistItemHeight(ListBox1->Handle(), listFont_.Get()));
  ListBox1->SetHorizontalExtent(0);
  ListBox1->Invalidate();
  TreeView1->Invalidate();

  ProgressBar1->SetBackgroundColor(shown(skin.ColorFondProgress, defaults.ColorFondProgress));
  ProgressBar2->SetBackgroundColor(shown(skin.ColorFondVolume, defaults.ColorFondVolume));
  ProgressBar1->SetBarColor(shown(skin.ColorProgress, defaults.ColorProgress));
  ProgressBar2->SetBarColor(shown(skin.ColorVolume, defaults.ColorVolume));
  LabelTemps->Font().SetColor(shown(skin.ColorTimeText, defaults.ColorTimeText));

  // Glyphs: a missing file keeps the button's picture.
  const std::pair<forms::SpeedButton*, sv::skin::ButtonPicture> buttons[] = {
      {SpdBtnNext, sv::skin::ButtonPicture::Next},           {SpdBtnPrev, sv::skin::ButtonPicture::Prev},
      {SpdBtnRep, sv::skin::ButtonPicture::Rep},             {SpdBtnListe, sv::skin::ButtonPicture::Liste},
      {SpdBtnEgaliseur, sv::skin::ButtonPicture::Equalizer}, {SpdBtnOptions, sv::skin::ButtonPicture::Options}};
  for (const auto& [button, picture] : buttons)
    if (auto glyph = Picture(skin.Button(picture))) button->SetGlyph(glyph);
  if (auto play = Picture(skin.Button(sv::skin::ButtonPicture::Play))) {
    SpdBtnPlay->SetGlyph(play);
    showsPause_ = false;
  }
  PanelPreview->Invalidate();
}

void TForm1::PaintBubble(const sv::skin::Skin& skin) {
  const sv::skin::Skin defaults = sv::skin::DefaultSkin(sv::skin::Program::Player);
  const sv::skin::BubbleSkin& bubble = skin.Bubble;
  forms::TextFont& font = Label45->Font();
  forms::FontHandle probe = sv::skin::CreateSkinFont(skin.BalloonFont, false);
  LOGFONTW description{};
  GetObjectW(probe.Get(), sizeof(description), &description);
  font.SetName(skin.BalloonFont.Name);
  font.SetHeight(-description.lfHeight);
  font.SetBold(skin.BalloonFont.Bold);
  font.SetItalic(skin.BalloonFont.Italic);
  font.SetColor(sv::skin::ScreenColour(bubble.ColorText, defaults.Bubble.ColorText));
  const SIZE text = Label45->TextSize();

  auto background = Picture(bubble.Back.BitmapFile);
  sv::skin::Size bitmap{};
  if (background) bitmap = {background->Width(), background->Height()};
  const sv::skin::BubbleLayout layout =
      sv::skin::LayoutBubble(bubble, {static_cast<int>(text.cx), static_cast<int>(text.cy)}, background ? &bitmap : nullptr);
  const int top = PanelPreview->Top() + PanelPreview->Height() + 10;
  Panel1->SetBounds(Panel1->Left(), top, layout.Window.Width, layout.Window.Height);
  const forms::ColourValue colour = sv::skin::ScreenColour(bubble.ColorBackGround, defaults.Bubble.ColorBackGround);
  Panel1->SetColor(colour);
  Image1->SetBounds(0, 0, layout.Window.Width, layout.Window.Height);
  Image1->Show(colour, background,
               background ? sv::skin::SplitFor(bubble.Back.DuplicateW, bitmap.Width) : 0,
               background ? sv::skin::SplitFor(bubble.Back.DuplicateH, bitmap.Height) : 0);
  Label45->SetBounds(layout.Text.Left, layout.Text.Top, layout.Text.Width, layout.Text.Height);
  Panel1->Invalidate();
}

void TForm1::SpdBtnPlayClick(forms::TComponent*) {
  const sv::skin::Skin skin = CurrentDocument().PlayerSkin();
  if (!showsPause_) {
    if (auto pause = Picture(skin.Button(sv::skin::ButtonPicture::Pause))) SpdBtnPlay->SetGlyph(pause);
    showsPause_ = true;
  } else {
    if (auto play = Picture(skin.Button(sv::skin::ButtonPicture::Play))) SpdBtnPlay->SetGlyph(play);
    showsPause_ = false;
  }
}

void TForm1::ListBox1MouseDown(forms::TComponent*, forms::MouseButton, forms::ShiftState, int X, int Y) {
  if (ListBox1->ItemAtPos(X, Y) < 0) ListBox1->ClearSelection();
}

}  // namespace quorvane
