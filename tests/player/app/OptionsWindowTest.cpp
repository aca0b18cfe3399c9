// The options window of the real player: its frame, its pages and what
// each control writes. Pictures of the pages are left in the build folder
// (options-page<N>.png) for a person to look at.
#include "tests/player/app/OptionsTestSupport.h"

namespace playertest {
namespace {

TEST_F(OptionsWindow, TheFrameShowsEveryPageFromItsList) {
  OpenOptions();
  EXPECT_EQ(svtest::WindowText(options), "Sorivanel - Options");
  for (int page : {0, 2, 4}) {
    ShowPage(page);
    EXPECT_EQ(OptionsValue("PageIndex", "Notebook"), std::to_string(page));
    SavePicture("options-page" + std::to_string(page) + ".png");
  }
  ShowPage(8);
  EXPECT_EQ(OptionsValue("PageTitle", "Notebook"), "A propos...");
  EXPECT_EQ(OptionsValue("Caption", "GroupBoxPages"), "A propos...");
  CloseOptions();
  Quit();
}

}  // namespace
}  // namespace playertest
