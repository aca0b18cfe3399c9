// The tray icon of the running player: its own icon with the ">" that
// scrolls over it, and the volume balloon of the hot keys.
#include "tests/player/app/PlayerTestSupport.h"

#include <shellapi.h>

namespace playertest {
namespace {

using Tray = PlayerProgram;

TEST_F(Tray, TheIconIsTheProgramsOwnWithItsText) {
  Prepare();
  // The program carries an icon of its own.
  EXPECT_GE(ExtractIconExW(program.c_str(), -1, nullptr, nullptr, 0), 1u);
  Start();
  auto state = State();
  EXPECT_EQ(state["TrayIcon"], "1");
  EXPECT_EQ(state["TrayBackground"], "1");
  EXPECT_EQ(state["TrayText"], ">");
  EXPECT_EQ(state["TrayOffset"], "-12,-1");
  EXPECT_EQ(state["TrayHint"], "Sorivanel");
  Quit();
}

TEST_F(Tray, VolumeHotKeysShowTheLevelOnlyWhileTheWindowIsHidden) {
  // The bar takes the saved volume, not the system level.
  Prepare("ReglageVolumeGlobal=0\r\n[LECT]\r\nVolume=50\r\n");
  Start();
  ASSERT_FALSE(IsWindowVisible(mainWindow));
  PressWithCtrl(VK_DOWN);
  ASSERT_TRUE(WaitFor("Position", "47", 30000, "ProgressBar2"));
  EXPECT_EQ(Value("LastBalloon"), "Volume 47%");

  EXPECT_EQ(Second({}), 0u);
  ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));
  PressWithCtrl(VK_DOWN);
  ASSERT_TRUE(WaitFor("Position", "44", 30000, "ProgressBar2"));
  EXPECT_EQ(Value("LastBalloon"), "Volume 47%");
  Quit();
}

}  // namespace
}  // namespace playertest
