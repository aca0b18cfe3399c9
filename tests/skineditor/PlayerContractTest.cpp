// The editor's preview against the player's own window for the same skin:
// the same rectangles for the list panel and the ten controls, and the
// same colours where both show the skin's background and list.
#include <windows.h>

#include <sstream>

#include "tests/player/app/PlayerTestSupport.h"
#include "tests/skineditor/EditorDriver.h"
#include "tests/support/PngFile.h"

namespace editortest {
namespace {

class PlayerContract : public playertest::PlayerProgram {
 protected:
  std::map<std::string, std::string> EditorState(const std::string& component) {
    std::map<std::string, std::string> values;
    auto reply = editorClient.Request(editorApp, {"state", "Form1", component});
    if (!reply || !reply->ok) return values;
    std::istringstream lines(reply->text);
    std::string line;
    while (std::getline(lines, line)) {
      const auto equals = line.find('=');
      if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
  }

  sv::skin::BmpImage ScreenGrab(HWND window, const std::string& name) {
    sv::skin::BmpImage image;
    image.Pixels = ScreenPixels(window, image.Width, image.Height);
    svtest::SavePng(image.Width, image.Height, image.Pixels,
                    svtest::PathToUtf8(svtest::BuildRoot() / "tests" / "skineditor" / (name + ".png")));
    return image;
  }

  svtest::AutomationClient editorClient;
  std::unique_ptr<svtest::ProgramUnderTest> editor;
  HWND editorApp = nullptr;
};

TEST_F(PlayerContract, PreviewShowsWhatThePlayerShows) {
  Prepare("Skin=full\r\nGauche=100\r\nHaut=50\r\nLargeur=400\r\nHauteur=200\r\n");
  std::filesystem::copy(svtest::BuiltFile("player/app/skin"), folder / "skin",
                        std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing);
  PlaceFullSkin(folder.Path());
  // The editor first: the player hides itself when it loses the focus.
  folder.CopyIn(svtest::BuiltFile("player/app/Quorvane.exe"));
  svtest::LaunchOptions options;
  options.workingFolder = folder.Path();
  options.environment.emplace_back("SORIVANEL_AUTOMATION", "1");
  editor = std::make_unique<svtest::ProgramUnderTest>(
      folder / "Quorvane.exe", std::vector<std::string>{PathOf("skin\\full\\skin.ini")}, options);
  editorApp = editor->WaitForWindow("TApplication", "Sorivanel Skin Maker", 20000);
  ASSERT_NE(editorApp, nullptr);
  ASSERT_TRUE(svtest::WaitUntil([&] { return EditorState("")["Guard"] == "1"; }, 20000));

  Start();
  ASSERT_EQ(Second({"/show"}), 0u);
  ASSERT_TRUE(WaitFor("FormShown", "1"));
  ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(mainWindow) != FALSE; }));

  const char* components[] = {"Panel_Listes", "SpdBtnEgaliseur", "SpdBtnOptions", "SpdBtnRep",    "SpdBtnListe",
                              "LabelTemps",   "ProgressBar1",    "ProgressBar2",  "SpdBtnPrev",   "SpdBtnPlay",
                              "SpdBtnNext"};
  for (const char* component : components)
    EXPECT_EQ(EditorState(component)["Bounds"], Value("Bounds", component)) << component;

  ASSERT_TRUE(WaitFor("Visible", "1", 20000, "Panel_Listes"));
  ASSERT_TRUE(WaitFor("Visible", "1", 20000, "ListBox1"));
  // From the screen: the player's child windows as the user sees them.
  ASSERT_TRUE(svtest::WaitUntil([&] {
    BYTE alpha = 255;
    DWORD flags = 0;
    return !(GetWindowLongPtrW(mainWindow, GWL_EXSTYLE) & WS_EX_LAYERED) ||
           !GetLayeredWindowAttributes(mainWindow, nullptr, &alpha, &flags) || !(flags & LWA_ALPHA) || alpha == 255;
  })) << "the fade did not end";
  HWND editorWindow = editor->WaitForWindow("TForm1", "", 5000);
  const sv::skin::BmpImage player = ScreenGrab(mainWindow, "contract-player");
  const sv::skin::BmpImage preview = ScreenGrab(svtest::FindChildByName(editorWindow, "PanelPreview"), "contract-preview");
  ASSERT_EQ(player.Width, 400);
  ASSERT_EQ(preview.Width, 400);
  ASSERT_EQ(preview.Height, player.Height);
  // The background's corners and bottom edge, and the list's background
  // where neither list has items.
  const std::vector<std::pair<int, int>> probes = {{1, 199}, {398, 199}, {200, 199}, {1, 1}, {398, 1}, {350, 120},
                                                   {280, 140}};
  for (const auto& [x, y] : probes)
    EXPECT_EQ(Hex(preview.Pixel(x, y)), Hex(player.Pixel(x, y))) << x << "," << y;

  PostMessageW(editorWindow, WM_CLOSE, 0, 0);
  EXPECT_TRUE(editor->WaitForExit(20000));
}

}  // namespace
}  // namespace editortest
