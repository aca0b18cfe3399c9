// The editor's window and its components: the value controls on three
// tabs, the menu, and the preview of the player's main window and info
// bubble.
#include <windows.h>
#include <shellapi.h>

#include "forms/Application.h"
#include "forms/DialogFont.h"
#include "forms/Dialogs.h"
#include "forms/Wide.h"
#include "skineditor/Unit1.h"

namespace quorvane {

namespace {

using forms::Bind;
using forms::Bounds;
using forms::New;
using sv::skin::Field;

constexpr int kRow = 26;
constexpr int kCaptionWidth = 120;
constexpr char kWebsite[] = "https://sorivanel.invalid/";

struct SwatchRow {
  Field field;
  const char* name;
  const char* caption;
};

struct EditRow {
  Field field;
  const char* name;
  const char* caption;
  int width;
  bool bitmap;
};

const char* const kFontSizes[] = {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"};

const char* const kPositionEntries[sv::skin::kControlCount] = {
    "Equalizer", "Options", "Folders list", "Play list", "Time label", "Position bar", "Volume bar",
    "Previous",  "Play / Pause", "Next"};

}  // namespace

TForm1::TForm1(forms::TComponent* owner) : TForm(owner, "TForm1") {
  SetName("Form1");
  SetCaption("Sorivanel Skin Maker v1.01");
  SetBorderStyle(forms::BorderKind::Single);
  SetShowInTaskbar(true);
  SetBounds(10, 10, 1000, 740);
  KeyPreview = true;
  OnKeyDown = Bind(this, &TForm1::FormKeyDown);
  OnCloseQuery = Bind(this, &TForm1::FormCloseQuery);
  OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);

  BuildMenu();
  PageControl1 = New<forms::PageControl>(this, "PageControl1", this, Bounds{5, 5, 560, 680});
  BuildMainPage(PageControl1->AddPage("TabMain", "Main Form"));
  BuildBalloonPage(PageControl1->AddPage("TabBalloon", "Ballon Hint - Equalizer"));
  BuildButtonsPage(PageControl1->AddPage("TabButtons", "Buttons"));
  PageControl1->SetActivePageIndex(0);
  BuildPreview();

  for (forms::GroupBox* group : {GroupBoxMain, GroupBoxBalloon, GroupBoxBmp, GroupBoxBalloonFont, GroupBoxPositions})
    group->SetEnabled(false);

  SetMessageHandler(WM_DROPFILES, [this](forms::WindowMessage& message) {
    WMDropFiles(reinterpret_cast<HDROP>(message.WParam));
  });
  SetMessageHandler(kReportPicturesMessage, [this](forms::WindowMessage&) { ReportPictures(); });
  DragAcceptFiles(Handle(), TRUE);
}

TForm1::~TForm1() = default;

void TForm1::BuildMenu() {
  MainMenu1 = New<forms::MainMenu>(this, "MainMenu1", this);
  const int file = MainMenu1->AddDropDown("&File");
  MainMenu1->AddCommand(file, {kCommandNewSkin, "New Skin", 'N', forms::kCtrlKey, Bind(this, &TForm1::mnuNewSkinClick)});
  MainMenu1->AddCommand(file, {kCommandOpen, "&Open Skin File", 'O', forms::kCtrlKey,
                               [this](forms::TComponent*) { OpenSkin(""); }});
  MainMenu1->AddCommand(file, {kCommandSave, "&Save Skin", 'S', forms::kCtrlKey, [this](forms::TComponent*) { SaveSkin(); }});
  MainMenu1->AddCommand(file, {0, "-", 0, 0, nullptr});
  MainMenu1->AddCommand(file, {kCommandExit, "E&xit", 'X', forms::kAltKey, [this](forms::TComponent*) { Close(); }});
  MainMenu1->AddCommand(-1, {kCommandRefresh, "&Refresh", 0, 0, [this](forms::TComponent*) { Affichage(); }});
  MainMenu1->AddCommand(-1, {kCommandWebsite, "Sorivanel &website", 0, 0, [this](forms::TComponent*) {
                               ShellExecuteW(Handle(), nullptr, forms::widen(kWebsite).c_str(), nullptr, nullptr,
                                             SW_SHOWNORMAL);
                             }});
  MainMenu1->SetEnabled(kCommandSave, false);
  MainMenu1->SetEnabled(kCommandRefresh, false);
}

void TForm1::FormKeyDown(forms::TComponent*, std::uint16_t& Key, forms::ShiftState Shift) {
  if (MainMenu1->HandleShortcut(Key, Shift)) Key = 0;
}

forms::GroupBox* TForm1::NewGroup(const std::string& name, forms::WindowedControl* parent, forms::Bounds bounds,
                                  const std::string& caption) {
  auto* group = New<forms::GroupBox>(this, name, parent, bounds);
  group->SetCaption(caption);
  return group;
}

forms::CheckBox* TForm1::NewCheck(const std::string& name, forms::WindowedControl* parent, forms::Bounds bounds,
                                  const std::string& caption) {
  auto* check = New<forms::CheckBox>(this, name, parent, bounds);
  check->SetCaption(caption);
  return check;
}

forms::Label* TForm1::AddCaption(forms::WindowedControl* parent, const std::string& caption, int x, int y, int width) {
  auto* label = New<forms::Label>(this, "", parent, Bounds{x, y + 4, width, 14});
  label->SetCaption(caption);
  return label;
}

forms::Edit* TForm1::AddEdit(forms::WindowedControl* parent, Field field, const std::string& name,
                             const std::string& caption, int x, int y, int width, bool bitmap) {
  forms::Label* label = AddCaption(parent, caption, x, y, kCaptionWidth);
  auto* edit = New<forms::Edit>(this, name, parent, Bounds{x + kCaptionWidth, y, width, 21});
  edit->OnChange = Bind(this, &TForm1::Edit6Change);
  fields_[static_cast<std::size_t>(field)] = edit;
  if (bitmap) {
    // A click on the caption chooses the bitmap.
    label->SetName("Label" + name);
    label->Font().SetColor(0xFF0000);
    label->Hint = name;
    label->OnClick = Bind(this, &TForm1::ChangeImage);
    label->OnMouseMove = Bind(this, &TForm1::LabelMouseMove);
  }
  return edit;
}

ColourSwatch* TForm1::AddSwatch(forms::WindowedControl* parent, Field field, const std::string& name,
                                const std::string& caption, int x, int y) {
  forms::Label* label = AddCaption(parent, caption, x, y, 150);
  auto* swatch = New<ColourSwatch>(this, name, parent, Bounds{x + 155, y, 40, 20});
  swatch->Fallback = sv::skin::SkinDocument().Colour(field);
  // Both name the swatch they change.
  label->Hint = name;
  swatch->Hint = name;
  label->OnClick = Bind(this, &TForm1::ChangeCouleur);
  swatch->OnClick = Bind(this, &TForm1::ChangeCouleur);
  label->OnMouseMove = Bind(this, &TForm1::LabelMouseMove);
  fields_[static_cast<std::size_t>(field)] = swatch;
  return swatch;
}

forms::CheckBox* TForm1::AddCheck(forms::WindowedControl* parent, Field field, const std::string& name,
                                  const std::string& caption, int x, int y, int width) {
  auto* check = NewCheck(name, parent, Bounds{x, y, width, 20}, caption);
  check->OnClick = Bind(this, &TForm1::Edit6Change);
  fields_[static_cast<std::size_t>(field)] = check;
  return check;
}

void TForm1::BuildMainPage(forms::Panel* page) {
  page->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  GroupBoxMain = NewGroup("GroupBoxMain", page, Bounds{5, 5, 540, 640}, "Main Form");
  GroupBoxMain->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  forms::GroupBox* g = GroupBoxMain;
  int y = 22;
  AddEdit(g, Field::SkinName, "Edit11", "Skin Name", 10, y, 130);
  AddEdit(g, Field::FormWidth, "Edit6", "Skin Width", 10, y += kRow, 50);
  AddEdit(g, Field::FormHeight, "Edit7", "Skin Height", 10, y += kRow, 50);
  AddEdit(g, Field::Backgroundbmpfile, "Edit1", "Background bmp file", 10, y += kRow, 130, true);
  AddCheck(g, Field::TransparentActivate, "CheckBox1", "Transparency activated", 10, y += kRow, 200);
  AddSwatch(g, Field::TransparentColor, "Label17", "Transparency color", 10, y += kRow);
  AddSwatch(g, Field::ColorBackGround, "Label19", "Background color", 10, y += kRow);
  AddEdit(g, Field::DuplicateW, "Edit23", "Duplicated Column", 10, y += kRow, 50);
  AddEdit(g, Field::DuplicateH, "Edit24", "Duplicated Line", 10, y += kRow, 50);

  auto* lists = NewGroup("GroupBoxLists", g, Bounds{5, y += kRow + 6, 255, 90}, "Lists panel position");
  lists->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  const EditRow listRows[] = {{Field::ListsLeft, "Edit2", "Left", 50, false},
                              {Field::ListsTop, "Edit3", "Top", 50, false},
                              {Field::ListsWidth, "Edit4", "Width", 50, false},
                              {Field::ListsHeight, "Edit5", "Height", 50, false}};
  for (int i = 0; i < 4; ++i) {
    const EditRow& row = listRows[i];
    auto* label = AddCaption(lists, row.caption, 10 + (i % 2) * 120, 22 + (i / 2) * kRow, 45);
    static_cast<void>(label);
    auto* edit = New<forms::Edit>(this, row.name, lists, Bounds{55 + (i % 2) * 120, 22 + (i / 2) * kRow, row.width, 21});
    edit->OnChange = Bind(this, &TForm1::Edit6Change);
    fields_[static_cast<std::size_t>(row.field)] = edit;
  }

  auto* font = NewGroup("GroupBoxFont", g, Bounds{5, y += 100, 255, 110}, "Global Font");
  font->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  ComboFontName = New<forms::ComboBox>(this, "ComboFontName", font, Bounds{10, 22, 235, 240}, false);
  FillFontNames(ComboFontName);
  ComboFontSize = New<forms::ComboBox>(this, "ComboFontSize", font, Bounds{10, 50, 60, 240}, true);
  for (const char* size : kFontSizes) ComboFontSize->Add(size);
  CheckBold = NewCheck("CheckBold", font, Bounds{90, 50, 70, 20}, "Bold");
  CheckItalic = NewCheck("CheckItalic", font, Bounds{165, 50, 70, 20}, "Italic");
  for (forms::ComboBox* combo : {ComboFontName, ComboFontSize}) combo->OnChange = Bind(this, &TForm1::Edit6Change);
  for (forms::CheckBox* check : {CheckBold, CheckItalic}) check->OnClick = Bind(this, &TForm1::Edit6Change);
  fields_[static_cast<std::size_t>(Field::PoliceName)] = ComboFontName;
  fields_[static_cast<std::size_t>(Field::PoliceSize)] = ComboFontSize;
  fields_[static_cast<std::size_t>(Field::PoliceBold)] = CheckBold;
  fields_[static_cast<std::size_t>(Field::PoliceItalic)] = CheckItalic;

  // The colours, in a second column.
  auto* tree = NewGroup("GroupBoxTree", g, Bounds{270, 15, 262, 100}, "Folders treeview colors");
  auto* list = NewGroup("GroupBoxList", g, Bounds{270, 120, 262, 126}, "Playlist colors");
  auto* bars = NewGroup("GroupBoxBars", g, Bounds{270, 251, 262, 152}, "Bars and time colors");
  for (forms::GroupBox* group : {tree, list, bars}) group->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  const SwatchRow treeRows[] = {{Field::ClFondRep, "Label56", "Background color"},
                                {Field::ClTexteRep, "Label57", "Text color"},
                                {Field::ClSurvolRep, "Label58", "Selected text color"}};
  const SwatchRow listRows2[] = {{Field::ClFondListe, "Label59", "Background color"},
                                 {Field::ClTexteListe, "Label60", "Text color"},
                                 {Field::ClPlayingListe, "Label61", "Playing text color"},
                                 {Field::ClSelectedListe, "Label63", "Selected background color"}};
  const SwatchRow barRows[] = {{Field::ColorProgress, "Label30", "Progress bar color"},
                               {Field::ColorFondProgress, "Label31", "Progress background color"},
                               {Field::ColorVolume, "Label25", "Volume bar color"},
                               {Field::ColorFondVolume, "Label27", "Volume background color"},
                               {Field::ColorTimeText, "Label33", "Text time color"}};
  int row = 0;
  for (const SwatchRow& r : treeRows) AddSwatch(tree, r.field, r.name, r.caption, 10, 20 + kRow * row++);
  row = 0;
  for (const SwatchRow& r : listRows2) AddSwatch(list, r.field, r.name, r.caption, 10, 20 + kRow * row++);
  row = 0;
  for (const SwatchRow& r : barRows) AddSwatch(bars, r.field, r.name, r.caption, 10, 20 + kRow * row++);
}

void TForm1::BuildBalloonPage(forms::Panel* page) {
  page->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  GroupBoxBalloon =
      NewGroup("GroupBoxBalloon", page, Bounds{5, 5, 540, 330}, "Balloon Hint - and - Equalizer");
  GroupBoxBalloon->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  forms::GroupBox* g = GroupBoxBalloon;
  int y = 22;
  AddEdit(g, Field::BubbleBackgroundbmpfile, "Edit12", "Background bmp file", 10, y, 130, true);
  AddSwatch(g, Field::BubbleColorBackGround, "Label36", "Background color", 10, y += kRow);
  AddSwatch(g, Field::BubbleColorText, "Label38", "Text color", 10, y += kRow);
  AddSwatch(g, Field::BubbleTransparentColor, "Label40", "Transparency color", 10, y += kRow);
  AddCheck(g, Field::BubbleTransparentActivate, "CheckBox10", "Transparency activated", 10, y += kRow, 200);
  AddEdit(g, Field::BubbleDuplicateW, "Edit25", "Duplicated Column", 10, y += kRow, 50);
  AddEdit(g, Field::BubbleDuplicateH, "Edit26", "Duplicated Line", 10, y += kRow, 50);
  AddEdit(g, Field::TextLeftDistance, "Edit13", "Text left distance", 10, y += kRow, 50);
  AddEdit(g, Field::TextTopDistance, "Edit14", "Text top distance", 10, y += kRow, 50);
  AddEdit(g, Field::TextRightDistance, "Edit15", "Text right distance", 10, y += kRow, 50);
  AddEdit(g, Field::TextBottomDistance, "Edit16", "Text bottom distance", 10, y += kRow, 50);

  GroupBoxBalloonFont =
      NewGroup("GroupBoxBalloonFont", page, Bounds{5, 345, 540, 90}, "Balloon Hint Font");
  forms::GroupBox* f = GroupBoxBalloonFont;
  ComboBalloonFontName = New<forms::ComboBox>(this, "ComboBalloonFontName", f, Bounds{10, 22, 235, 240}, false);
  FillFontNames(ComboBalloonFontName);
  ComboBalloonFontSize = New<forms::ComboBox>(this, "ComboBalloonFontSize", f, Bounds{10, 52, 60, 240}, true);
  for (const char* size : kFontSizes) ComboBalloonFontSize->Add(size);
  CheckBalloonBold = NewCheck("CheckBalloonBold", f, Bounds{90, 52, 70, 20}, "Bold");
  CheckBalloonItalic = NewCheck("CheckBalloonItalic", f, Bounds{165, 52, 70, 20}, "Italic");
  for (forms::ComboBox* combo : {ComboBalloonFontName, ComboBalloonFontSize})
    combo->OnChange = Bind(this, &TForm1::Edit6Change);
  for (forms::CheckBox* check : {CheckBalloonBold, CheckBalloonItalic}) check->OnClick = Bind(this, &TForm1::Edit6Change);
  fields_[static_cast<std::size_t>(Field::BalloonPoliceName)] = ComboBalloonFontName;
  fields_[static_cast<std::size_t>(Field::BalloonPoliceSize)] = ComboBalloonFontSize;
  fields_[static_cast<std::size_t>(Field::BalloonPoliceBold)] = CheckBalloonBold;
  fields_[static_cast<std::size_t>(Field::BalloonPoliceItalic)] = CheckBalloonItalic;
}

void TForm1::BuildButtonsPage(forms::Panel* page) {
  page->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  GroupBoxBmp = NewGroup("GroupBoxBmp", page, Bounds{5, 5, 540, 240}, "Button bmp files");
  GroupBoxBmp->OnMouseMove = Bind(this, &TForm1::ContainerMouseMove);
  const EditRow rows[] = {{Field::PlayBmpFile, "Edit17", "Play button", 250, true},
                          {Field::PauseBmpFile, "Edit18", "Pause button", 250, true},
                          {Field::NextBmpFile, "Edit19", "Next button", 250, true},
                          {Field::PrevBmpFile, "Edit20", "Previous button", 250, true},
                          {Field::RepBmpFile, "Edit21", "Folders button", 250, true},
                          {Field::ListeBmpFile, "Edit22", "Playlist button", 250, true},
                          {Field::EqualizerBmpFile, "Edit27", "Equalizer button", 250, true},
                          {Field::OptionsBmpFile, "Edit28", "Options button", 250, true}};
  int y = 22;
  for (const EditRow& row : rows) {
    AddEdit(GroupBoxBmp, row.field, row.name, row.caption, 10, y, row.width, row.bitmap);
    y += kRow;
  }

  GroupBoxPositions = NewGroup("GroupBoxPositions", page, Bounds{5, 255, 540, 190}, "Buttons Positions");
  forms::GroupBox* p = GroupBoxPositions;
  ListBox2 = New<forms::ListBox>(this, "ListBox2", p, Bounds{10, 20, 150, 160}, false);
  ListBox2->SetFont(forms::DialogFont());
  ListBox2->SetItemHeight(16);
  for (const char* entry : kPositionEntries) ListBox2->Add(entry);
  ListBox2->OnChange = Bind(this, &TForm1::ListBox2Click);
  const std::pair<forms::Edit**, const char*> edits[] = {{&Edit29, "Left"}, {&Edit30, "Top"}, {&Edit31, "Width"}};
  const char* names[] = {"Edit29", "Edit30", "Edit31"};
  for (int i = 0; i < 3; ++i) {
    AddCaption(p, edits[i].second, 175, 20 + kRow * i, 50);
    *edits[i].first = New<forms::Edit>(this, names[i], p, Bounds{230, 20 + kRow * i, 50, 21});
    (*edits[i].first)->OnChange = Bind(this, &TForm1::Edit29Change);
  }
  CheckAnchorBottom = NewCheck("CheckAnchorBottom", p, Bounds{300, 20, 120, 20}, "Anchor Bottom");
  CheckAnchorLeft = NewCheck("CheckAnchorLeft", p, Bounds{300, 46, 120, 20}, "Anchor Left");
  CheckAnchorRight = NewCheck("CheckAnchorRight", p, Bounds{300, 72, 120, 20}, "Anchor Right");
  for (forms::CheckBox* check : {CheckAnchorBottom, CheckAnchorLeft, CheckAnchorRight})
    check->OnClick = Bind(this, &TForm1::Edit29Change);
}

void TForm1::BuildPreview() {
  PanelPreview = New<forms::Panel>(this, "PanelPreview", this, Bounds{575, 10, 300, 380});
  PanelPreview->DoubleBuffered = true;
  PanelPreview->SetVisible(false);
  ImageFond = New<SkinImage>(this, "ImageFond", PanelPreview, Bounds{0, 0, 300, 380});
  Panel_Listes = New<forms::Panel>(this, "Panel_Listes", PanelPreview, Bounds{5, 5, 290, 340});
  TreeView1 = New<forms::TreeView>(this, "TreeView1", Panel_Listes, Bounds{0, 0, 120, 340});
  forms::TreeNode music = TreeView1->Add(nullptr, "Music");
  for (const char* folder : {"Artist 1", "Artist 2", "Artist 3"}) TreeView1->Add(music, folder);
  TreeView1->SetExpanded(music, true);
  TreeView1->OnCustomDrawItem = [this](forms::TreeView& tree, forms::TreeNode, forms::TreeNodeDraw& draw) {
    sv::skin::DrawTreeNode(draw, tree.FontColor(), static_cast<forms::ColourValue>(tree.Tag));
  };
  ListBox1 = New<forms::ListBox>(this, "ListBox1", Panel_Listes, Bounds{120, 0, 170, 340});
  for (const char* song : {" Song 1", " Song 2", " Song 3"}) ListBox1->Add(song);
  ListBox1->OnDrawItem = [this](forms::ListBox& list, int index, HDC dc, const RECT& rect, bool selected, bool focused) {
    // The second song plays.
    const int width = sv::skin::DrawPlaylistItem(dc, rect, list.Item(index), selected, focused, index == 1, listLook_);
    if (width + 10 > list.HorizontalExtent()) list.SetHorizontalExtent(width + 10);
  };
  ListBox1->OnMouseDown = Bind(this, &TForm1::ListBox1MouseDown);
  Panel_Listes->OnResize = [this](forms::TComponent*) { LayoutLists(); };

  SpdBtnEgaliseur = New<forms::SpeedButton>(this, "SpdBtnEgaliseur", PanelPreview, Bounds{8, 349, 10, 12});
  SpdBtnOptions = New<forms::SpeedButton>(this, "SpdBtnOptions", PanelPreview, Bounds{8, 361, 10, 12});
  SpdBtnRep = New<forms::SpeedButton>(this, "SpdBtnRep", PanelPreview, Bounds{18, 349, 36, 24});
  SpdBtnListe = New<forms::SpeedButton>(this, "SpdBtnListe", PanelPreview, Bounds{56, 349, 36, 24});
  LabelTemps = New<forms::Label>(this, "LabelTemps", PanelPreview, Bounds{91, 360, 54, 14});
  LabelTemps->SetCaption("-00:00:00");
  ProgressBar1 = New<forms::ProgressBar>(this, "ProgressBar1", PanelPreview, Bounds{94, 350, 119, 8});
  ProgressBar1->SetPosition(40);
  ProgressBar2 = New<forms::ProgressBar>(this, "ProgressBar2", PanelPreview, Bounds{147, 362, 66, 8});
  ProgressBar2->SetPosition(70);
  SpdBtnPrev = New<forms::SpeedButton>(this, "SpdBtnPrev", PanelPreview, Bounds{216, 349, 24, 24});
  SpdBtnPlay = New<forms::SpeedButton>(this, "SpdBtnPlay", PanelPreview, Bounds{241, 349, 24, 24});
  SpdBtnNext = New<forms::SpeedButton>(this, "SpdBtnNext", PanelPreview, Bounds{266, 349, 24, 24});
  SpdBtnPlay->OnClick = Bind(this, &TForm1::SpdBtnPlayClick);
  previewControls_ = {SpdBtnEgaliseur, SpdBtnOptions, SpdBtnRep,    SpdBtnListe, LabelTemps,
                      ProgressBar1,    ProgressBar2,  SpdBtnPrev,   SpdBtnPlay,  SpdBtnNext};

  Panel1 = New<forms::Panel>(this, "Panel1", this, Bounds{575, 400, 200, 50});
  Panel1->DoubleBuffered = true;
  Panel1->SetVisible(false);
  Image1 = New<SkinImage>(this, "Image1", Panel1, Bounds{0, 0, 200, 50});
  Label45 = New<forms::Label>(this, "Label45", Panel1, Bounds{5, 5, 150, 30});
  Label45->MultiLine = true;
  Label45->SetCaption("Sorivanel\n Artist - Album - SampleTrack");
}

// The tree and the list side by side, as in the player's view of both.
void TForm1::LayoutLists() {
  const int treeWidth = Panel_Listes->ClientWidth() * 2 / 5;
  TreeView1->SetBounds(0, 0, treeWidth, Panel_Listes->ClientHeight());
  ListBox1->SetBounds(treeWidth, 0, Panel_Listes->ClientWidth() - treeWidth, Panel_Listes->ClientHeight());
}

void TForm1::DescribeState(forms::StateList& state) const {
  state.emplace_back("SkinFolder", SkinFolder);
  state.emplace_back("Modified", Modified ? "1" : "0");
  state.emplace_back("Guard", std::to_string(Tag));
  state.emplace_back("SaveEnabled", MainMenu1->Enabled(kCommandSave) ? "1" : "0");
  state.emplace_back("PlayGlyph", showsPause_ ? "pause" : "play");
  std::string reported;
  for (const std::string& path : reported_) reported += (reported.empty() ? "" : "|") + path;
  state.emplace_back("Reported", reported);
  for (int i = 0; i < sv::skin::kControlCount; ++i) {
    const sv::skin::ControlPlace& place = places_[static_cast<std::size_t>(i)];
    state.emplace_back(std::string("Place.") + sv::skin::ControlPrefix(static_cast<sv::skin::ControlId>(i)),
                       std::to_string(place.Left) + "," + std::to_string(place.Top) + "," +
                           std::to_string(place.Width) + "," + std::to_string(place.AnchorTop) +
                           std::to_string(place.AnchorLeft) + std::to_string(place.AnchorRight));
  }
}

}  // namespace quorvane
