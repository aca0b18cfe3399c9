// The form layer's graphics and menu pieces: icons, 16x16 image lists,
// fonts, drawing bitmaps and popup menus, under Wine with real GDI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "forms/IconImage.h"
#include "forms/PixelBitmap.h"
#include "forms/ShortcutMenu.h"
#include "forms/SmallImageList.h"
#include "forms/TextFont.h"

namespace {

void Put16(std::vector<std::uint8_t>& out, unsigned value) {
  out.push_back(value & 0xFF);
  out.push_back((value >> 8) & 0xFF);
}
void Put32(std::vector<std::uint8_t>& out, unsigned value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Writes a one-image 16x16 .ico file: opaque colour on the top half, the
// bottom half transparent.
std::string WriteIcoFile(const std::string& name, std::uint32_t rgb) {
  std::vector<std::uint8_t> data;
  const unsigned pixelBytes = 16 * 16 * 4;
  const unsigned maskBytes = 16 * 4;
  Put16(data, 0);
  Put16(data, 1);
  Put16(data, 1);
  data.insert(data.end(), {16, 16, 0, 0});
  Put16(data, 1);
  Put16(data, 32);
  Put32(data, 40 + pixelBytes + maskBytes);
  Put32(data, 6 + 16);
  Put32(data, 40);
  Put32(data, 16);
  Put32(data, 32);
  Put16(data, 1);
  Put16(data, 32);
  for (int i = 0; i < 6; ++i) Put32(data, 0);
  // Rows bottom-up: the first eight rows are the bottom half.
  for (int row = 0; row < 16; ++row)
    for (int column = 0; column < 16; ++column) Put32(data, row < 8 ? 0 : (0xFF000000u | rgb));
  for (int row = 0; row < 16; ++row) Put32(data, row < 8 ? 0xFFFFFFFFu : 0);
  std::string path = (std::filesystem::temp_directory_path() / name).string();
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return {};
  std::fwrite(data.data(), 1, data.size(), file);
  std::fclose(file);
  return path;
}

COLORREF CentrePixel(HICON icon) {
  forms::PixelBitmap bitmap(16, 16);
  {
    forms::BitmapPainter surface(bitmap);
    surface.FillRect(RECT{0, 0, 16, 16}, RGB(1, 2, 3));
    surface.DrawIcon(icon, 0, 0, 16, 16);
  }
  return bitmap.Pixel(8, 2);
}

TEST(IconImage, LoadsAnIcoFileAndCopies) {
  const std::string path = WriteIcoFile("sv-graphics-test.ico", 0x00C000);
  ASSERT_FALSE(path.empty());
  forms::IconImage icon;
  int changes = 0;
  icon.OnChange = [&] { ++changes; };
  EXPECT_TRUE(icon.Empty());
  ASSERT_TRUE(icon.LoadFromFile(path));
  EXPECT_FALSE(icon.Empty());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(CentrePixel(icon.Handle()), RGB(0, 0xC0, 0));

  forms::IconImage copy;
  copy.Assign(icon);
  EXPECT_NE(copy.Handle(), icon.Handle());
  EXPECT_EQ(CentrePixel(copy.Handle()), RGB(0, 0xC0, 0));

  icon.AssignQuietly(forms::IconImage());
  EXPECT_TRUE(icon.Empty());
  EXPECT_EQ(changes, 1);
  icon.Assign(copy);
  EXPECT_EQ(changes, 2);
  std::filesystem::remove(path);
}

TEST(IconImage, BadFilesLeaveTheIconAsItWas) {
  forms::IconImage icon;
  icon.TakeHandle(forms::CopyIconHandle(LoadIconW(nullptr, IDI_APPLICATION)));
  HICON before = icon.Handle();
  EXPECT_FALSE(icon.LoadFromFile("Z:\\no\\such\\file.ico"));
  const std::string path = (std::filesystem::temp_directory_path() / "sv-not-an-icon.ico").string();
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("not an icon at all", file);
  std::fclose(file);
  EXPECT_FALSE(icon.LoadFromFile(path));
  EXPECT_EQ(icon.Handle(), before);
  std::filesystem::remove(path);
}

TEST(SmallImageList, AddsIconsAndBitmapsAndRefusesBadIndices) {
  forms::SmallImageList list(nullptr);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.GetIcon(0));
  EXPECT_EQ(list.AddIcon(nullptr), -1);
  EXPECT_EQ(list.AddMasked(nullptr, 0), -1);
  EXPECT_EQ(list.AddIcon(LoadIconW(nullptr, IDI_APPLICATION)), 0);
  forms::PixelBitmap bitmap(16, 16);
  {
    forms::BitmapPainter surface(bitmap);
    surface.FillRect(RECT{0, 0, 16, 16}, RGB(255, 0, 255));
  }
  EXPECT_EQ(list.AddMasked(bitmap.Handle(), RGB(255, 0, 255)), 1);
  EXPECT_EQ(list.Count(), 2);
  // The caller's bitmap keeps its masked colour.
  EXPECT_EQ(bitmap.Pixel(3, 3), RGB(255, 0, 255));
  EXPECT_TRUE(list.GetIcon(1));
  EXPECT_FALSE(list.GetIcon(2));
  EXPECT_FALSE(list.GetIcon(-1));
}

TEST(TextFont, ChangesNotifyAndRemakeTheFont) {
  forms::TextFont font;
  int changes = 0;
  font.OnChange = [&] { ++changes; };
  HFONT first = font.Handle();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(font.Handle(), first);
  font.SetHeight(font.Height());
  EXPECT_EQ(changes, 0);
  font.SetHeight(20);
  font.SetBold(true);
  EXPECT_EQ(changes, 2);

  forms::TextFont other;
  other.SetName("Courier New");
  other.SetHeight(9);
  other.SetColor(0x0000FF);
  font.Assign(other);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(font.Name(), "Courier New");
  EXPECT_EQ(font.Height(), 9);
  EXPECT_EQ(font.Color(), 0x0000FFu);
  EXPECT_FALSE(font.Bold());
}

TEST(BitmapPainter, TextIsMeasuredAndDrawnWithoutBackground) {
  forms::TextFont font;
  font.SetHeight(12);
  font.SetColor(0x0000FF);
  forms::PixelBitmap bitmap(16, 16);
  forms::BitmapPainter surface(bitmap);
  surface.FillRect(RECT{0, 0, 16, 16}, RGB(0, 255, 0));
  surface.SetFont(font);
  const SIZE one = surface.TextExtent("W");
  EXPECT_GT(one.cx, 3);
  EXPECT_GE(one.cy, 12);
  EXPECT_GT(surface.TextWidth("WW"), one.cx);
  EXPECT_EQ(surface.TextHeight("WW"), one.cy);
  surface.WriteText(0, 0, "W");
  int red = 0;
  int green = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      COLORREF pixel = bitmap.Pixel(x, y);
      red += pixel == RGB(255, 0, 0);
      green += pixel == RGB(0, 255, 0);
    }
  }
  EXPECT_GT(red, 5);
  EXPECT_EQ(red + green, 256);
}

TEST(BitmapPainter, FramesAndTransparentCopies) {
  forms::PixelBitmap source(4, 4);
  {
    forms::BitmapPainter surface(source);
    surface.FillRect(RECT{0, 0, 4, 4}, RGB(9, 9, 9));
    surface.FillRect(RECT{1, 1, 3, 3}, RGB(200, 0, 0));
  }
  forms::PixelBitmap target(16, 16);
  forms::BitmapPainter surface(target);
  surface.FillRect(RECT{0, 0, 16, 16}, RGB(0, 0, 200));
  surface.FrameRect(RECT{0, 0, 16, 16}, RGB(0, 100, 0));
  surface.DrawTransparent(source, 14, 14, RGB(9, 9, 9));
  EXPECT_EQ(target.Pixel(0, 7), RGB(0, 100, 0));
  EXPECT_EQ(target.Pixel(1, 1), RGB(0, 0, 200));
  EXPECT_EQ(target.Pixel(14, 14), RGB(0, 0, 200));
  EXPECT_EQ(target.Pixel(15, 15), RGB(200, 0, 0));
  EXPECT_EQ(target.Pixel(16, 16), 0u);
}

// Chooses the second entry of an open menu from a timer.
void CALLBACK ChooseSecond(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu) {
    EndMenu();
    return;
  }
  for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
  }
}

TEST(ShortcutMenu, ItemsDefaultAndPopupComponent) {
  auto menu = forms::NewUnowned<forms::ShortcutMenu>("");
  forms::MenuEntry* play = menu->Add("Play", "ItemPlay");
  forms::MenuEntry* quit = menu->Add("Quit");
  EXPECT_EQ(menu->Items(), (std::vector<forms::MenuEntry*>{play, quit}));
  EXPECT_EQ(menu->FindComponent("itemplay"), play);
  EXPECT_EQ(menu->DefaultItem(), nullptr);
  quit->Default = true;
  EXPECT_EQ(menu->DefaultItem(), quit);
  menu->DeleteComponent(play);
  EXPECT_EQ(menu->Items(), std::vector<forms::MenuEntry*>{quit});

  {
    auto owner = forms::NewUnowned<forms::ShortcutMenu>("");
    menu->SetPopupComponent(owner.get());
    EXPECT_EQ(menu->PopupComponent(), owner.get());
  }
  EXPECT_EQ(menu->PopupComponent(), nullptr);
}

TEST(ShortcutMenu, PopupRunsTheChosenItemAndSkipsHiddenOnes) {
  auto menu = forms::NewUnowned<forms::ShortcutMenu>("");
  std::vector<std::string> clicked;
  for (const char* caption : {"First", "Hidden", "Second", "Third"}) {
    forms::MenuEntry* item = menu->Add(caption);
    item->Visible = std::string(caption) != "Hidden";
    item->OnClick = [&clicked, caption](forms::TComponent*) { clicked.push_back(caption); };
  }
  SetTimer(nullptr, 0, 300, &ChooseSecond);
  menu->Popup(100, 100);
  EXPECT_EQ(clicked, std::vector<std::string>{"Second"});
}

// Opens the first item's submenu and chooses its second shown entry.
void CALLBACK ChooseInSubmenu(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  HWND menu = FindWindowW(L"#32768", nullptr);
  if (!menu) {
    EndMenu();
    return;
  }
  for (WPARAM key : {VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}) {
    PostMessageW(menu, WM_KEYDOWN, key, 0);
    PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
  }
}

TEST(ShortcutMenu, SubmenuItemsAreChosenAndFreedWithTheirParent) {
  auto menu = forms::NewUnowned<forms::ShortcutMenu>("");
  std::vector<std::string> clicked;
  forms::MenuEntry* play = menu->Add("Play", "MenuPlay");
  play->OnClick = [&clicked](forms::TComponent*) { clicked.push_back("Play"); };
  for (const char* caption : {"All", "Hidden", "One"}) {
    forms::MenuEntry* item = play->Add(caption);
    item->Visible = std::string(caption) != "Hidden";
    item->Hint = std::string("hint of ") + caption;
    item->OnClick = [&clicked](forms::TComponent* sender) {
      clicked.push_back(static_cast<forms::MenuEntry*>(sender)->Hint);
    };
  }
  menu->Add("Quit");
  SetTimer(nullptr, 0, 300, &ChooseInSubmenu);
  menu->Popup(100, 100);
  EXPECT_EQ(clicked, std::vector<std::string>{"hint of One"});

  ASSERT_EQ(play->Items().size(), 3u);
  play->DeleteComponent(play->Items()[0]);
  EXPECT_EQ(play->Items().size(), 2u);
  play->Clear();
  EXPECT_TRUE(play->Items().empty());
  EXPECT_EQ(play->ComponentCount(), 0u);
}

}  // namespace
