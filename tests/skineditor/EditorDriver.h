#pragma once
// The skin editor run as a real process in a folder of its own beside the
// shipped skins: typed into through standard control messages, its menu
// commands posted, its message boxes and file dialogs answered by a script,
// its state and pixels read through the automation interface.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "skin/BmpFile.h"
#include "tests/support/TestSupport.h"

namespace editortest {

// One expected message box: a piece of its text and the button to press.
struct BoxAnswer {
  std::string text;
  int button;
};

class EditorProgram : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Starts the editor (in its folder) with these arguments.
  void Start(const std::vector<std::string>& arguments);
  // Ends it; a modified skin is let go without saving.
  void Stop();

  std::map<std::string, std::string> State(const std::string& component = "");
  std::string Value(const std::string& key, const std::string& component = "");
  bool WaitFor(const std::string& key, const std::string& value, const std::string& component = "");

  HWND Control(const std::string& name);
  // WM_SETTEXT, which the control reports as a change.
  void Type(const std::string& name, const std::string& text);
  std::string Text(const std::string& name);
  void Click(const std::string& name);  // windowless controls too
  void Command(UINT id);
  void Drop(const std::vector<std::string>& paths);
  void PickPosition(int index);

  // Answers each box in turn (its text must hold the piece) and fails on
  // any other box; returns the texts seen. Waits for every box to come.
  std::vector<std::string> AnswerBoxes(const std::vector<BoxAnswer>& answers);
  // Answers the next file dialog with that name ("" cancels).
  void AnswerFileDialog(const std::string& fileName);
  // No box or dialog is open now.
  bool Quiet();

  // The component's area as painted; written as a PNG into the build
  // folder when a name is given.
  sv::skin::BmpImage Capture(const std::string& component, const std::string& pngName = {});

  // The window as it is on the screen (check boxes and frames included,
  // which a window's own printing leaves out), as a PNG in the build folder.
  void ScreenShot(const std::string& pngName);

  std::string SkinPath(const std::string& skin) const { return svtest::PathToUtf8(folder / "skin" / skin) + "\\"; }

  svtest::TempFolder folder;
  svtest::AutomationClient client;
  std::unique_ptr<svtest::ProgramUnderTest> editor;
  HWND appWindow = nullptr;
  HWND mainWindow = nullptr;
};

std::string Hex(std::uint32_t rgb);
// A window's client area as it is on the screen (0x00RRGGBB, top first).
std::vector<std::uint32_t> ScreenPixels(HWND window, int& width, int& height);
// A file of tests/skineditor/fixtures.
std::string FixtureText(const std::string& name);
// A background wider than the design width, nine regions of their own
// colours: corners, edges and the centre (split at column 200, row 30).
std::string WideBackground();
// The skin "full" (fixtures/full.ini and that background) under root\skin.
void PlaceFullSkin(const std::filesystem::path& root);

}  // namespace editortest
