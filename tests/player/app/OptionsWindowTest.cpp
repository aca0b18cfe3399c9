// The options window's frame in the real player: its page list, the one
// window rule, the link labels and the ways it opens. Pictures of pages 0,
// 2 and 4 are left in the build folder (options-page<N>.png) for a person
// to look at.
#include "tests/player/app/OptionsTestSupport.h"

namespace playertest {
namespace {

struct WindowCount {
  DWORD process;
  int count;
};

BOOL CALLBACK CountOptionsWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowCount*>(data);
  if (svtest::WindowProcess(window) == search->process && svtest::WindowClass(window) == "TFormOptions") ++search->count;
  return TRUE;
}

int OptionsWindowCount(DWORD processId) {
  WindowCount search{processId, 0};
  EnumWindows(&CountOptionsWindow, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

TEST_F(OptionsWindow, TheFrameShowsEveryPageFromItsList) {
  OpenOptions();
  EXPECT_EQ(svtest::WindowText(options), "Sorivanel - Options");
  EXPECT_EQ(OptionsValue("Count", "ListBoxPages"), "9");
  EXPECT_EQ(OptionsValue("PageIndex", "Notebook"), "0");
  for (int page : {0, 2, 4}) {
    ShowPage(page);
    EXPECT_EQ(OptionsValue("PageIndex", "Notebook"), std::to_string(page));
    SavePicture("options-page" + std::to_string(page) + ".png");
  }
  ShowPage(8);
  EXPECT_EQ(OptionsValue("PageTitle", "Notebook"), "A propos...");
  EXPECT_EQ(OptionsValue("Caption", "GroupBoxPages"), "A propos...");
  EXPECT_EQ(OptionsValue("Caption", "LabelVersion"), "v3.30");
  CloseOptions();
  Quit();
}

TEST_F(OptionsWindow, OneWindowAtATimeThatAnotherOpeningOnlyBringsForward) {
  OpenOptions();
  ShowPage(2);
  // The tray's double click again, and the options button of the shown
  // main window: the same window, not filled again.
  OpenOptions();
  ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  auto reply = client.Request(appWindow, {"click", "Form1", "SpdBtnOptions"});
  ASSERT_TRUE(reply && reply->ok) << (reply ? reply->text : "no answer");
  svtest::WaitUntil([] { return false; }, 500);
  EXPECT_EQ(OptionsWindowCount(player->Id()), 1);
  EXPECT_EQ(OptionsValue("PageIndex", "Notebook"), "2");
  CloseOptions();
  EXPECT_EQ(OptionsWindowCount(player->Id()), 0);
  // The button opens a new one when none is open.
  reply = client.Request(appWindow, {"click", "Form1", "SpdBtnOptions"});
  ASSERT_TRUE(reply && reply->ok);
  options = player->WaitForWindow("TFormOptions", "", 20000);
  ASSERT_NE(options, nullptr);
  EXPECT_TRUE(svtest::WaitUntil([&] { return OptionsValue("Tag") == "1"; }, 20000));
  EXPECT_EQ(OptionsValue("PageIndex", "Notebook"), "0");
  CloseOptions();
  Quit();
}

TEST_F(OptionsWindow, LinkLabelsUnderlineUnderThePointerAndTurnRedWhilePressed) {
  OpenOptions();
  ShowPage(4);
  HWND link = Control("LabelGetMoreSkins");
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(OptionsValue("FontColor", "LabelGetMoreSkins"), "FF0000");
  EXPECT_EQ(OptionsValue("Underline", "LabelGetMoreSkins"), "0");
  svtest::SendTo(link, WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(OptionsValue("Underline", "LabelGetMoreSkins"), "1");
  // The right button: pressed and released without opening the page.
  svtest::SendTo(link, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(3, 3));
  EXPECT_EQ(OptionsValue("FontColor", "LabelGetMoreSkins"), "0000FF");
  svtest::SendTo(link, WM_RBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(OptionsValue("FontColor", "LabelGetMoreSkins"), "FF0000");
  svtest::SendTo(link, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(OptionsValue("Underline", "LabelGetMoreSkins"), "0");
  CloseOptions();
  Quit();
}

}  // namespace
}  // namespace playertest
