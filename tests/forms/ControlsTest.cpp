// The main window's controls: the owner-drawn list (its notifications come
// back from the parent window), the 64-bit progress bar, grouped speed
// buttons, the picture view, and what the automation interface reads of
// them.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <string>
#include <vector>

#include "base/Exception.h"
#include "forms/Automation.h"
#include "forms/ComboBox.h"
#include "forms/Edit.h"
#include "forms/ImageView.h"
#include "forms/ListBox.h"
#include "forms/Panel.h"
#include "forms/PixelBitmap.h"
#include "forms/ProgressBar.h"
#include "forms/ShortcutMenu.h"
#include "forms/SpeedButton.h"
#include "forms/Splitter.h"
#include "forms/TreeView.h"
#include "forms/Capture.h"
#include "tests/forms/AppFixture.h"
#include "tests/support/PngFile.h"
#include "tests/support/TestSupport.h"

namespace {

using forms::Bounds;
using forms::MouseButton;
using forms::ShiftState;
using forms::TComponent;
using formstest::TFormProbe;

class ControlsTest : public formstest::ApplicationTest {
 protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    form = app->CreateForm<TFormProbe>();
    form->SetBounds(50, 50, 400, 300);
  }

  // What the form shows, painted into memory.
  std::unique_ptr<forms::PixelBitmap> Snapshot() {
    auto bitmap = std::make_unique<forms::PixelBitmap>(form->ClientWidth(), form->ClientHeight());
    forms::BitmapPainter painter(*bitmap);
    form->PaintTo(painter.DC());
    return bitmap;
  }

  void Press(HWND window, int x, int y, UINT down = WM_LBUTTONDOWN) {
    SendMessageW(window, down, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }

  std::string State(const std::string& name) {
    forms::AutomationChannel channel(*app);
    std::string reply;
    EXPECT_TRUE(channel.Answer("state\tTFormProbe\t" + name, reply)) << reply;
    return reply;
  }

  TFormProbe* form = nullptr;
};

forms::ListBox* MakeList(TComponent* owner, forms::WindowedControl* parent, int items) {
  auto* list = forms::New<forms::ListBox>(owner, "List1", parent, Bounds{0, 0, 200, 100});
  list->SetItemHeight(16);
  for (int i = 0; i < items; ++i) list->Add(" song " + std::to_string(i));
  return list;
}

TEST_F(ControlsTest, ListEditsKeepTextsAndBadIndicesRaise) {
  auto* list = MakeList(form, form, 0);
  EXPECT_EQ(list->ItemIndex(), -1);
  list->Add("b");
  list->Insert(0, "a");
  list->Insert(99, "d");
  list->Insert(2, "c \xc3\xa9\xe2\x82\xac &x");  // UTF-8 and a would-be prefix
  ASSERT_EQ(list->Count(), 4);
  EXPECT_EQ(list->Item(0), "a");
  EXPECT_EQ(list->Item(2), "c \xc3\xa9\xe2\x82\xac &x");
  EXPECT_EQ(list->Item(3), "d");
  list->Delete(1);
  EXPECT_EQ(list->Item(1), "c \xc3\xa9\xe2\x82\xac &x");
  EXPECT_THROW(list->Item(3), sv::Exception);
  EXPECT_THROW(list->Delete(-1), sv::Exception);
  EXPECT_THROW(list->SetItem(5, "x"), sv::Exception);
  list->Clear();
  EXPECT_EQ(list->Count(), 0);
  EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(ControlsTest, ListReplaceInPlaceKeepsSelectionCaretAndScroll) {
  auto* list = MakeList(form, form, 30);
  list->SetItemIndex(5);
  list->SetSelected(7, true);
  list->SetSelected(8, true);
  list->SetTopIndex(4);
  int caret = list->ItemIndex();
  list->SetItem(7, " renamed");
  list->SetItem(6, " other");
  list->SetItem(caret, " caret");
  EXPECT_EQ(list->Count(), 30);
  EXPECT_EQ(list->Item(7), " renamed");
  EXPECT_TRUE(list->Selected(5));
  EXPECT_TRUE(list->Selected(7));
  EXPECT_FALSE(list->Selected(6));
  EXPECT_EQ(list->SelCount(), 3);
  EXPECT_EQ(list->ItemIndex(), caret);
  EXPECT_EQ(list->TopIndex(), 4);
}

TEST_F(ControlsTest, ListMultipleSelection) {
  auto* list = MakeList(form, form, 6);
  list->SelectAll();
  EXPECT_EQ(list->SelCount(), 6);
  list->SetItemIndex(2);
  EXPECT_EQ(list->SelCount(), 1);
  EXPECT_TRUE(list->Selected(2));
  EXPECT_EQ(list->ItemIndex(), 2);
  // A shift click extends from the item chosen last, as the list's own
  // mouse handling does.
  SendMessageW(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 5 * 16 + 3));
  SendMessageW(list->Handle(), WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(10, 5 * 16 + 3));
  EXPECT_EQ(list->SelCount(), 4);
  EXPECT_EQ(list->ItemIndex(), 5);
  list->SetSelected(0, true);
  list->SetSelected(3, false);
  EXPECT_EQ(list->SelCount(), 4);
  list->SetItemIndex(-1);
  EXPECT_EQ(list->SelCount(), 0);
}

TEST_F(ControlsTest, ListItemAtPosFollowsScrollAndIsEmptyBelowTheItems) {
  auto* list = MakeList(form, form, 20);
  EXPECT_EQ(list->ItemAtPos(5, 0), 0);
  EXPECT_EQ(list->ItemAtPos(5, 33), 2);
  list->SetTopIndex(10);
  EXPECT_EQ(list->ItemAtPos(5, 33), 12);
  EXPECT_EQ(list->ItemAtPos(-1, 33), -1);
  list->Clear();
  list->Add("one");
  EXPECT_EQ(list->ItemAtPos(5, 3), 0);
  EXPECT_EQ(list->ItemAtPos(5, 20), -1);
}

TEST_F(ControlsTest, ListDrawingAndDoubleClickComeBackThroughTheParentPanel) {
  auto* panel = forms::New<forms::Panel>(form, "Panel_Listes", form, Bounds{10, 10, 300, 200});
  auto* list = MakeList(form, panel, 3);
  std::vector<int> drawn;
  list->OnDrawItem = [&](forms::ListBox& sender, int index, HDC dc, const RECT& rect, bool, bool) {
    EXPECT_EQ(&sender, list);
    EXPECT_EQ(rect.top, index * 16);
    drawn.push_back(index);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  };
  int doubleClicks = 0;
  int indexAtPress = -2;
  list->OnDblClick = [&](TComponent*) { ++doubleClicks; };
  list->OnMouseDown = [&](TComponent*, MouseButton, ShiftState, int, int) { indexAtPress = list->ItemIndex(); };
  form->ShowNoActivate();
  UpdateWindow(form->Handle());
  app->ProcessMessages();
  std::sort(drawn.begin(), drawn.end());
  drawn.erase(std::unique(drawn.begin(), drawn.end()), drawn.end());
  EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2}));
  // The mouse events see the selection the click made.
  Press(list->Handle(), 10, 16 + 4);
  EXPECT_EQ(indexAtPress, 1);
  EXPECT_EQ(doubleClicks, 0);
  Press(list->Handle(), 10, 16 + 4, WM_LBUTTONDBLCLK);
  EXPECT_EQ(doubleClicks, 1);
  // Notifications of another parent's list are not taken for this one's.
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(0, LBN_DBLCLK), reinterpret_cast<LPARAM>(list->Handle()));
  EXPECT_EQ(doubleClicks, 1);
}

TEST_F(ControlsTest, ListWithoutDrawHandlerDrawsItsTexts) {
  auto* list = MakeList(form, form, 2);
  list->SetItemIndex(1);
  forms::PixelBitmap bitmap(200, 100);
  {
    forms::BitmapPainter painter(bitmap);
    SendMessageW(list->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(painter.DC()), PRF_CLIENT);
  }
  COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  COLORREF window = GetSysColor(COLOR_WINDOW);
  int textPixels = 0;
  for (int x = 0; x < 100; ++x) textPixels += bitmap.Pixel(x, 8) != window;
  EXPECT_GT(textPixels, 3);
  EXPECT_EQ(bitmap.Pixel(150, 16 + 8), highlight);
}

TEST_F(ControlsTest, ProgressBarKeepsSixtyFourBitValuesExactly) {
  auto* bar = forms::New<forms::ProgressBar>(form, "ProgressBar1", form, Bounds{0, 0, 200, 12});
  constexpr std::int64_t kGiB = 1024LL * 1024 * 1024;
  bar->SetMax(5 * kGiB);
  bar->SetPosition(4 * kGiB + 7);
  EXPECT_EQ(bar->Position(), 4 * kGiB + 7);
  EXPECT_EQ(bar->Max(), 5 * kGiB);
  // The window shows four fifths of its own range.
  auto windowMax = SendMessageW(bar->Handle(), PBM_GETRANGE, FALSE, 0);
  auto windowPos = SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0);
  EXPECT_NEAR(static_cast<double>(windowPos) / static_cast<double>(windowMax), 0.8, 1e-6);
  bar->SetPosition(6 * kGiB);
  EXPECT_EQ(bar->Position(), 5 * kGiB);
  bar->SetPosition(-3);
  EXPECT_EQ(bar->Position(), 0);
  bar->SetPosition(3 * kGiB);
  bar->SetMax(100);
  EXPECT_EQ(bar->Position(), 100);
  // Small ranges reach the window unchanged.
  bar->SetPosition(42);
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETPOS, 0, 0), 42);
  EXPECT_EQ(SendMessageW(bar->Handle(), PBM_GETRANGE, FALSE, 0), 100);
  bar->SetMax(-5);
  EXPECT_EQ(bar->Max(), 0);
  EXPECT_EQ(bar->Position(), 0);
}

TEST_F(ControlsTest, ProgressBarDragKeepsTheMouseUntilReleased) {
  auto* bar = forms::New<forms::ProgressBar>(form, "ProgressBar2", form, Bounds{0, 0, 104, 12}, true);
  EXPECT_TRUE(GetWindowLongPtrW(bar->Handle(), GWL_STYLE) & PBS_VERTICAL);
  std::vector<std::string> log;
  bar->OnMouseDown = [&](TComponent*, MouseButton, ShiftState, int x, int) {
    log.push_back("down " + std::to_string(x));
  };
  bar->OnMouseMove = [&](TComponent*, ShiftState shift, int x, int) {
    log.push_back("move " + std::to_string(x) + ((shift & forms::kLeftButton) ? " held" : ""));
  };
  bar->OnMouseUp = [&](TComponent*, MouseButton, ShiftState, int x, int) { log.push_back("up " + std::to_string(x)); };
  SendMessageW(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 5));
  EXPECT_EQ(GetCapture(), bar->Handle());
  SendMessageW(bar->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
  SendMessageW(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
  EXPECT_NE(GetCapture(), bar->Handle());
  EXPECT_EQ(log, (std::vector<std::string>{"down 50", "move 300 held", "up 300"}));
}

std::shared_ptr<forms::PixelBitmap> RedSquareOnWhite() {
  auto glyph = std::make_shared<forms::PixelBitmap>(8, 8);
  forms::BitmapPainter painter(*glyph);
  painter.FillRect(RECT{0, 0, 8, 8}, RGB(255, 255, 255));
  painter.FillRect(RECT{2, 2, 6, 6}, RGB(255, 0, 0));
  return glyph;
}

TEST_F(ControlsTest, SpeedButtonGroupKeepsAtMostOneDown) {
  std::vector<forms::SpeedButton*> buttons;
  std::vector<std::string> clicks;
  for (int i = 0; i < 3; ++i) {
    auto* button = forms::New<forms::SpeedButton>(form, "SpdBtn" + std::to_string(i), form, Bounds{i * 30, 0, 25, 25});
    button->SetGroupIndex(1);
    button->OnClick = [&clicks, button](TComponent*) {
      clicks.push_back(button->Name() + (button->Down() ? " down" : " up"));
    };
    buttons.push_back(button);
  }
  auto click = [&](int i) { Press(form->Handle(), i * 30 + 10, 10); };
  click(0);
  click(1);
  EXPECT_FALSE(buttons[0]->Down());
  EXPECT_TRUE(buttons[1]->Down());
  click(1);  // without AllowAllUp the down button stays down
  EXPECT_TRUE(buttons[1]->Down());
  EXPECT_EQ(clicks, (std::vector<std::string>{"SpdBtn0 down", "SpdBtn1 down", "SpdBtn1 down"}));
  buttons[1]->SetDown(false);
  EXPECT_TRUE(buttons[1]->Down());
  for (auto* button : buttons) button->SetAllowAllUp(true);
  click(1);
  EXPECT_FALSE(buttons[1]->Down());
  buttons[2]->SetDown(true);
  buttons[0]->SetDown(true);
  EXPECT_FALSE(buttons[2]->Down());
  // Another group, or none, is left alone.
  auto* loner = forms::New<forms::SpeedButton>(form, "Loner", form, Bounds{100, 0, 25, 25});
  loner->SetDown(true);
  EXPECT_FALSE(loner->Down());
  loner->SetGroupIndex(2);
  loner->SetDown(true);
  EXPECT_TRUE(loner->Down());
  EXPECT_TRUE(buttons[0]->Down());
  // Released away from the button: no click, no change.
  clicks.clear();
  SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 10));
  SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(390, 290));
  EXPECT_TRUE(clicks.empty());
  EXPECT_FALSE(buttons[1]->Down());
}

TEST_F(ControlsTest, SpeedButtonGlyphIsCentredTransparentAndDimmedWhenDisabled) {
  form->SetColor(0x00FF00);
  auto* button = forms::New<forms::SpeedButton>(form, "SpdBtnPlay", form, Bounds{10, 10, 20, 20});
  button->SetGlyph(RedSquareOnWhite());
  auto shot = Snapshot();
  // The 8x8 glyph sits at (16,16); white, its bottom-left colour, is not drawn.
  EXPECT_EQ(shot->Pixel(20, 20), RGB(255, 0, 0));
  EXPECT_EQ(shot->Pixel(16, 16), RGB(0, 255, 0));
  button->SetEnabled(false);
  shot = Snapshot();
  COLORREF dimmed = shot->Pixel(20, 20);
  EXPECT_EQ(GetRValue(dimmed), GetGValue(dimmed));
  EXPECT_EQ(GetGValue(dimmed), GetBValue(dimmed));
  EXPECT_EQ(shot->Pixel(16, 16), RGB(0, 255, 0));
}

std::vector<std::uint8_t> TwoPixels(std::uint8_t left, std::uint8_t right) {
  // One row of two BGR pixels padded to 8 bytes: left red-ish, right blue.
  return {0, 0, left, right, 0, 0, 0xEE, 0xEE};
}

TEST_F(ControlsTest, ImageViewStretchesItsPictureAndTellsPicturesApart) {
  form->SetColor(0x00FF00);
  auto* image = forms::New<forms::ImageView>(form, "ImgPreviewAlbum", form, Bounds{0, 0, 40, 20});
  EXPECT_EQ(image->PictureChecksum(), 0u);
  image->SetPicture(2, 1, TwoPixels(255, 255), 8);
  std::uint32_t first = image->PictureChecksum();
  auto shot = Snapshot();
  // Halftone stretching blends neighbours: each half keeps its colour's lead.
  COLORREF left = shot->Pixel(2, 10);
  COLORREF right = shot->Pixel(37, 10);
  EXPECT_GT(GetRValue(left), 200);
  EXPECT_LT(GetBValue(left), 60);
  EXPECT_GT(GetBValue(right), 200);
  EXPECT_LT(GetRValue(right), 60);
  EXPECT_EQ(shot->Pixel(45, 10), RGB(0, 255, 0));
  // Padding bytes are not part of the picture.
  auto padded = TwoPixels(255, 255);
  padded[6] = 1;
  image->SetPicture(2, 1, padded, 8);
  EXPECT_EQ(image->PictureChecksum(), first);
  image->SetPicture(2, 1, TwoPixels(254, 255), 8);
  EXPECT_NE(image->PictureChecksum(), first);
  // Sizes that do not match the bytes change nothing.
  std::uint32_t shown = image->PictureChecksum();
  EXPECT_THROW(image->SetPicture(2, 2, TwoPixels(1, 1), 8), sv::Exception);
  EXPECT_THROW(image->SetPicture(2, 1, TwoPixels(1, 1), 6), sv::Exception);
  EXPECT_THROW(image->SetPicture(0x40000000, 1, TwoPixels(1, 1), 8), sv::Exception);
  EXPECT_EQ(image->PictureChecksum(), shown);
  image->ClearPicture();
  EXPECT_FALSE(image->HasPicture());
  EXPECT_EQ(Snapshot()->Pixel(2, 10), RGB(0, 255, 0));
}

TEST_F(ControlsTest, ImageViewDoubleClick) {
  auto* image = forms::New<forms::ImageView>(form, "ImgPreviewAlbum", form, Bounds{0, 0, 40, 20});
  int doubleClicks = 0;
  image->OnDblClick = [&](TComponent*) { ++doubleClicks; };
  Press(form->Handle(), 5, 5);
  EXPECT_EQ(doubleClicks, 0);
  Press(form->Handle(), 5, 5, WM_LBUTTONDBLCLK);
  EXPECT_EQ(doubleClicks, 1);
}

std::vector<std::string> TreeOrder(const forms::TreeView& tree) {
  std::vector<std::string> order;
  for (forms::TreeNode node = tree.FirstChild(nullptr); node; node = tree.Next(node))
    order.push_back(std::to_string(tree.Level(node)) + tree.Text(node));
  return order;
}

TEST_F(ControlsTest, TreeNodesKeepTreeOrderLongTextsAndSortByTheGivenComparison) {
  auto* tree = forms::New<forms::TreeView>(form, "TreeView1", form, Bounds{0, 0, 200, 200});
  forms::TreeNode music = tree->Add(nullptr, "C:\\Music\\");
  forms::TreeNode b = tree->Add(music, "b");
  tree->Add(music, "B");
  forms::TreeNode a = tree->Add(music, "a \xc3\xa9t\xc3\xa9");
  tree->Add(b, "z.m3u");
  tree->Add(b, "y");
  const std::string longName(700, 'x');
  tree->Add(nullptr, "D:\\" + longName);
  EXPECT_EQ(tree->Count(), 7);
  EXPECT_EQ(TreeOrder(*tree), (std::vector<std::string>{"0C:\\Music\\", "1b", "2z.m3u", "2y", "1B",
                                                        "1a \xc3\xa9t\xc3\xa9", "0D:\\" + longName}));
  EXPECT_EQ(tree->Parent(b), music);
  EXPECT_EQ(tree->Parent(music), nullptr);
  EXPECT_EQ(tree->Level(nullptr), 0);

  // Letter case counts in the caller's comparison; the sort reaches the
  // grandchildren only when asked.
  const auto compare = [](const std::string& x, const std::string& y) { return x.compare(y); };
  tree->SortChildren(music, compare, false);
  EXPECT_EQ(TreeOrder(*tree), (std::vector<std::string>{"0C:\\Music\\", "1B", "1a \xc3\xa9t\xc3\xa9", "1b", "2z.m3u",
                                                        "2y", "0D:\\" + longName}));
  tree->SortChildren(nullptr, compare, true);
  EXPECT_EQ(TreeOrder(*tree)[4], "2y");
  EXPECT_EQ(TreeOrder(*tree)[5], "2z.m3u");

  EXPECT_FALSE(tree->Expanded(music));
  tree->SetExpanded(music, true);
  EXPECT_TRUE(tree->Expanded(music));
  tree->Select(a);
  EXPECT_EQ(tree->Selected(), a);
  tree->SetText(a, "renamed");
  EXPECT_EQ(tree->Text(tree->Selected()), "renamed");
  const std::string state = State("TreeView1");
  EXPECT_NE(state.find("Count=7\nSelected=renamed\nHot=\nNode0=0|C:\\Music\\\nNode1=1|B\n"), std::string::npos)
      << state;

  tree->Delete(b);
  EXPECT_EQ(tree->Count(), 4);
  tree->BeginUpdate();
  tree->BeginUpdate();
  tree->Clear();
  tree->EndUpdate();
  tree->EndUpdate();
  EXPECT_EQ(tree->Count(), 0);
  EXPECT_EQ(tree->FirstChild(nullptr), nullptr);
  EXPECT_EQ(tree->Text(nullptr), "");
}

TEST_F(ControlsTest, TreeDrawsItsHotNodeAsTheOwnerSaysOnTheTreesColour) {
  // The drawing notifications come back through the parent panel.
  auto* panel = forms::New<forms::Panel>(form, "Panel_Listes", form, Bounds{0, 0, 300, 200});
  auto* tree = forms::New<forms::TreeView>(form, "TreeView1", panel, Bounds{0, 0, 300, 200});
  tree->SetColor(0xEEEEEE);
  tree->SetFontColor(0x555555);
  LOGFONTW font{};
  font.lfHeight = -16;
  font.lfWeight = FW_BOLD;
  std::wcscpy(font.lfFaceName, L"Tahoma");
  tree->SetFont(font);
  forms::TreeNode first = tree->Add(nullptr, "WWWWWWWW first");
  forms::TreeNode second = tree->Add(nullptr, "WWWWWWWW second");
  int drawn = 0;
  tree->OnCustomDrawItem = [&](forms::TreeView& sender, forms::TreeNode, forms::TreeNodeDraw& draw) {
    EXPECT_EQ(&sender, tree);
    ++drawn;
    draw.Underline = draw.Hot;
    if (draw.Hot) draw.TextColor = 0x000080;
  };
  form->ShowNoActivate();
  UpdateWindow(form->Handle());
  app->ProcessMessages();
  EXPECT_GT(drawn, 0);

  RECT rows[2]{};
  for (int i = 0; i < 2; ++i) {
    const forms::TreeNode node = i == 0 ? first : second;
    std::memcpy(&rows[i], &node, sizeof node);
    ASSERT_TRUE(SendMessageW(tree->Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rows[i])));
  }
  // Counts, per row, the pixels in a colour, and the longest run of it on
  // one line: an underline is one long run.
  const auto look = [&](int row, std::uint32_t rgb) {
    RECT client{};
    GetClientRect(tree->Handle(), &client);
    const forms::CapturedImage image = forms::CaptureClientArea(tree->Handle(), client);
    int count = 0, longest = 0;
    for (int y = rows[row].top; y < rows[row].bottom; ++y) {
      int run = 0;
      for (int x = rows[row].left; x < rows[row].right; ++x) {
        const bool match = image.Pixels[static_cast<std::size_t>(y * image.Width + x)] == rgb;
        count += match;
        run = match ? run + 1 : 0;
        longest = std::max(longest, run);
      }
    }
    EXPECT_EQ(image.Pixels[static_cast<std::size_t>(rows[row].top + 2) * image.Width + 290], 0xEEEEEEu);
    return std::pair{count, longest};
  };
  EXPECT_GT(look(0, 0x555555).first, 20);
  EXPECT_EQ(look(1, 0x800000).first, 0);

  // The mouse over the second node's label makes it hot: drawn in the
  // owner's colour, underlined; the first stays as it was.
  const int x = (rows[1].left + rows[1].right) / 2, y = (rows[1].top + rows[1].bottom) / 2;
  SendMessageW(tree->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  EXPECT_EQ(tree->HotNode(), second);
  UpdateWindow(tree->Handle());
  const auto hot = look(1, 0x800000);
  EXPECT_GT(hot.first, 20);
  EXPECT_GE(hot.second, (rows[1].right - rows[1].left) / 2) << "underlined";
  EXPECT_LT(look(0, 0x555555).second, (rows[0].right - rows[0].left) / 2) << "not underlined";
  EXPECT_NE(State("TreeView1").find("Hot=WWWWWWWW second\n"), std::string::npos);
  {
    RECT client{};
    GetClientRect(tree->Handle(), &client);
    const forms::CapturedImage shot = forms::CaptureClientArea(tree->Handle(), client);
    // For a person to look at.
    svtest::SavePng(shot.Width, shot.Height, shot.Pixels,
                    svtest::PathToUtf8(svtest::BuiltFile("tests/forms") / "tree-hot.png"));
  }

  // Away from the labels, and out of the tree: no hot node.
  SendMessageW(tree->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, 190));
  EXPECT_EQ(tree->HotNode(), nullptr);
  SendMessageW(tree->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  SendMessageW(tree->Handle(), WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(tree->HotNode(), nullptr);
  UpdateWindow(tree->Handle());
  EXPECT_EQ(look(1, 0x800000).first, 0);
  // A hot node that goes leaves no hot node behind.
  SendMessageW(tree->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  tree->Delete(second);
  EXPECT_EQ(tree->HotNode(), nullptr);
}

TEST_F(ControlsTest, SplitterDragResizesItsControlWithinBoundsAndTellsOnceAtTheEnd) {
  auto* panel = forms::New<forms::Panel>(form, "Panel_Listes", form, Bounds{0, 0, 300, 200});
  auto* left = forms::New<forms::Panel>(form, "Left", panel, Bounds{0, 0, 100, 200});
  auto* splitter = forms::New<forms::Splitter>(form, "Splitter1", panel, Bounds{100, 0, 3, 200});
  splitter->SetResizedControl(left);
  int moving = 0, moved = 0;
  // The owner lays the panel out again: the bar follows the control.
  splitter->OnMoving = [&](TComponent*) {
    ++moving;
    splitter->SetLeft(left->Width());
  };
  splitter->OnMoved = [&](TComponent*) { ++moved; };
  const auto at = [&](int panelX) { return MAKELPARAM(panelX - splitter->Left(), 10); };
  HWND bar = splitter->Handle();
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(101));
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, at(151));
  EXPECT_EQ(left->Width(), 150);
  EXPECT_EQ(splitter->Left(), 150);
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, at(400));
  EXPECT_EQ(left->Width(), 300 - 3 - 30) << "the rest keeps its least width";
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, at(-50));
  EXPECT_EQ(left->Width(), 30) << "the control keeps its least width";
  SendMessageW(bar, WM_MOUSEMOVE, MK_LBUTTON, at(81));
  EXPECT_EQ(left->Width(), 80);
  EXPECT_EQ(moved, 0);
  SendMessageW(bar, WM_LBUTTONUP, 0, at(81));
  EXPECT_EQ(moved, 1);
  EXPECT_EQ(moving, 4);
  // Moves without a press change nothing; a press and release in place is
  // no move.
  SendMessageW(bar, WM_MOUSEMOVE, 0, at(200));
  EXPECT_EQ(left->Width(), 80);
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, at(81));
  SendMessageW(bar, WM_LBUTTONUP, 0, at(81));
  EXPECT_EQ(moved, 1);
}

TEST_F(ControlsTest, AutomationReportsTheControlsState) {
  auto* list = MakeList(form, form, 3);
  list->SetSelected(0, true);
  list->SetSelected(2, true);
  auto* bar = forms::New<forms::ProgressBar>(form, "ProgressBar1", form, Bounds{0, 120, 200, 12});
  bar->SetMax(6000000000LL);
  bar->SetPosition(5000000000LL);
  auto* button = forms::New<forms::SpeedButton>(form, "SpdBtnRep", form, Bounds{0, 140, 20, 20});
  button->SetGroupIndex(3);
  button->SetDown(true);
  auto* image = forms::New<forms::ImageView>(form, "ImgPreviewAlbum", form, Bounds{0, 160, 40, 20});
  image->SetPicture(2, 1, TwoPixels(255, 255), 8);
  image->Hint = "C:\\music\\folder.jpg";

  std::string listState = State("List1");
  EXPECT_NE(listState.find("Type=ListBox\n"), std::string::npos) << listState;
  EXPECT_NE(listState.find("Count=3\n"), std::string::npos) << listState;
  EXPECT_NE(listState.find("SelCount=2\nTopIndex=0\n"), std::string::npos) << listState;
  EXPECT_NE(listState.find("Selection=0,2\nItem0= song 0\nItem1= song 1\nItem2= song 2\n"), std::string::npos);
  std::string barState = State("ProgressBar1");
  EXPECT_NE(barState.find("Position=5000000000\nMax=6000000000\n"), std::string::npos) << barState;
  EXPECT_NE(State("SpdBtnRep").find("Down=1\nGroupIndex=3\n"), std::string::npos);
  std::string imageState = State("ImgPreviewAlbum");
  EXPECT_NE(imageState.find("Hint=C:\\music\\folder.jpg\n"), std::string::npos) << imageState;
  EXPECT_NE(imageState.find("HasPicture=1\nPictureWidth=2\nPictureHeight=1\nPictureChecksum="), std::string::npos);
}


TEST_F(ControlsTest, EditTellsChangesTakesKeysAndPaintsInItsColours) {
  auto* panel = forms::New<forms::Panel>(form, "Panel1", form, Bounds{0, 0, 300, 100});
  auto* edit = forms::New<forms::Edit>(form, "Edit1", panel, Bounds{5, 5, 150, 22});
  std::vector<std::string> changes;
  edit->OnChange = [&](TComponent*) { changes.push_back(edit->Text()); };
  std::vector<std::uint16_t> keys;
  edit->OnKeyDown = [&](TComponent*, std::uint16_t& key, ShiftState) {
    keys.push_back(key);
    if (key == VK_RETURN) key = 0;
  };
  SendMessageW(edit->Handle(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"abc"));
  edit->SetText("\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(changes, (std::vector<std::string>{"abc", "\xC3\xA9t\xC3\xA9"}));
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(edit->Handle(), WM_KEYDOWN, VK_F3, 0);
  EXPECT_EQ(keys, (std::vector<std::uint16_t>{VK_RETURN, VK_F3}));

  // The parent hands the colour query to the edit, whatever its colours.
  HDC dc = GetDC(edit->Handle());
  const auto query = [&] {
    return SendMessageW(panel->Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                        reinterpret_cast<LPARAM>(edit->Handle()));
  };
  edit->SetColor(0x00FF00);
  edit->SetFontColor(0xFFFFFF);
  const auto brush = reinterpret_cast<HBRUSH>(query());
  LOGBRUSH lb{};
  ASSERT_NE(brush, nullptr);
  GetObjectW(brush, sizeof(lb), &lb);
  EXPECT_EQ(lb.lbColor, RGB(0, 255, 0));
  EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));
  edit->SetColor(0x0000FF);
  edit->SetFontColor(0);
  GetObjectW(reinterpret_cast<HBRUSH>(query()), sizeof(lb), &lb);
  EXPECT_EQ(lb.lbColor, RGB(255, 0, 0));
  EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
  ReleaseDC(edit->Handle(), dc);
  const std::string state = State("Edit1");
  EXPECT_NE(state.find("Text=\xC3\xA9t\xC3\xA9"), std::string::npos) << state;
  EXPECT_NE(state.find("Color=255"), std::string::npos) << state;
}

TEST_F(ControlsTest, AnOwnerDrawnMenuDrawsItsItemsAndStillReadsAsText) {
  form->Show();
  auto* menu = forms::New<forms::ShortcutMenu>(form, "Menu1");
  menu->Add("First", "First");
  menu->Add("-");
  menu->Add("Second", "Second")->Visible = false;
  forms::MenuEntry* third = menu->Add("Third", "Third");
  int chosen = 0;
  third->OnClick = [&](TComponent*) { ++chosen; };
  std::vector<std::string> drawn;
  menu->OnDrawItem = [&](forms::MenuEntry& item, HDC, const RECT& rect, bool) {
    if (std::find(drawn.begin(), drawn.end(), item.Caption) == drawn.end()) drawn.push_back(item.Caption);
    EXPECT_GT(rect.right - rect.left, 0);
  };
  // Once it shows, read its first item's text, then choose the last item
  // by the keyboard.
  std::wstring firstText;
  std::thread driver([&] {
    HWND menuWindow = nullptr;
    for (int i = 0; i < 500 && !menuWindow; ++i) {
      Sleep(20);
      menuWindow = FindWindowW(L"#32768", nullptr);
      if (menuWindow && !IsWindowVisible(menuWindow)) menuWindow = nullptr;
    }
    if (!menuWindow) return;
    auto* shown = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    wchar_t text[32] = {};
    GetMenuStringW(shown, 0, text, 32, MF_BYPOSITION);
    firstText = text;
    for (int i = 0; i < 2; ++i) PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
  });
  menu->Popup(100, 100, form->Handle());
  driver.join();
  EXPECT_EQ(firstText, L"First");
  EXPECT_EQ(chosen, 1);
  EXPECT_EQ(drawn, (std::vector<std::string>{"First", "Third"}));
}

}  // namespace

namespace {

// The tag editor's fields: a limit holds for typing but not for text set
// from code, a field of several lines takes Enter, and a combo box tells
// its items.
TEST_F(ControlsTest, EditLimitsAndLinesAndComboItems) {
  auto* edit = forms::New<forms::Edit>(form, "Edit", form, Bounds{10, 10, 80, 21});
  edit->SetMaxLength(2);
  edit->SetText("longer");
  EXPECT_EQ(edit->Text(), "longer");
  SendMessageW(edit->Handle(), EM_SETSEL, 0, -1);
  for (wchar_t c : std::wstring(L"abc")) SendMessageW(edit->Handle(), WM_CHAR, c, 0);
  EXPECT_EQ(edit->Text(), "ab");
  EXPECT_NE(State("Edit").find("MaxLength=2"), std::string::npos);

  auto* memo = forms::New<forms::Edit>(form, "Memo", form, Bounds{10, 40, 120, 44}, forms::Edit::MultiLine{});
  for (wchar_t c : std::wstring(L"a\rb")) SendMessageW(memo->Handle(), WM_CHAR, c, 0);
  EXPECT_EQ(memo->Text(), "a\r\nb");

  auto* list = forms::New<forms::ComboBox>(form, "List", form, Bounds{150, 10, 120, 120}, false);
  for (const char* item : {"2 file(s)", "one.mp3", "two.mp3"}) list->Add(item);
  list->SetText("two.mp3");
  EXPECT_EQ(list->ItemIndex(), 2);
  const std::string state = State("List");
  EXPECT_NE(state.find("Item0=2 file(s)"), std::string::npos) << state;
  EXPECT_NE(state.find("Item2=two.mp3"), std::string::npos) << state;
}

}  // namespace
