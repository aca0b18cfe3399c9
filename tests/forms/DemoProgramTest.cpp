// The demo program run as a real process: found from outside by class and
// title, driven through the automation interface, its error box caught by
// the watcher, and ended by closing its main form.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace {

constexpr char kTitle[] = "Sorivanel Forms Demo";

class DemoProgram : public ::testing::Test {
 protected:
  // Starts the demo in a temporary folder of its own, where it writes.
  void Start(bool automation = true) {
    std::filesystem::path program = folder.CopyIn(svtest::BuiltFile("tests/forms/sv_forms_demo.exe"));
    svtest::LaunchOptions options;
    options.workingFolder = folder.Path();
    if (automation) options.environment.emplace_back("SORIVANEL_AUTOMATION", "1");
    demo = std::make_unique<svtest::ProgramUnderTest>(program, std::vector<std::string>{}, options);
    appWindow = demo->WaitForWindow("TApplication", kTitle);
    formWindow = demo->WaitForWindow("TFormDemo", "Forms Demo");
    ASSERT_NE(appWindow, nullptr);
    ASSERT_NE(formWindow, nullptr);
    // Shown by the loop, so the form's description has been applied.
    ASSERT_TRUE(svtest::WaitUntil([&] { return IsWindowVisible(formWindow) != FALSE; }));
  }

  void TearDown() override {
    if (demo && demo->Running()) {
      PostMessageW(formWindow, WM_CLOSE, 0, 0);
      if (!demo->WaitForExit(5000)) ADD_FAILURE() << "the demo did not end when its main form was closed";
    }
  }

  std::optional<svtest::AutomationReply> Ask(const std::vector<std::string>& fields) {
    return client.Request(appWindow, fields);
  }

  svtest::TempFolder folder;
  svtest::AutomationClient client;
  std::unique_ptr<svtest::ProgramUnderTest> demo;
  HWND appWindow = nullptr;
  HWND formWindow = nullptr;
};

TEST_F(DemoProgram, WindowsAreFoundFromOutsideByClassTitleAndName) {
  Start(false);
  EXPECT_FALSE(IsWindowVisible(appWindow));
  EXPECT_EQ(GetWindow(formWindow, GW_OWNER), appWindow);
  HWND panel = svtest::FindChildByName(formWindow, "Panel1");
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(svtest::WindowClass(panel), "TPlainPanel");
}

TEST_F(DemoProgram, AutomationIsOffWithoutTheVariable) {
  Start(false);
  EXPECT_FALSE(client.Request(appWindow, {"list", "FormDemo"}).has_value());
}

TEST_F(DemoProgram, AutomationListsComponentsAndReadsTheirState) {
  Start();
  EXPECT_EQ(client.ComponentNames(appWindow, "FormDemo"),
            (std::vector<std::string>{"PadWrite", "PadFail", "PadQuiet", "PadHalt", "Panel1"}));
  // The form also answers to its class name and its window handle.
  EXPECT_EQ(client.ComponentNames(appWindow, "TFormDemo").size(), 5u);
  std::string byHandle = "#" + std::to_string(reinterpret_cast<UINT_PTR>(formWindow));
  EXPECT_EQ(client.ComponentNames(appWindow, byHandle).size(), 5u);

  auto caption = Ask({"caption", "FormDemo", "PadWrite"});
  ASSERT_TRUE(caption && caption->ok);
  EXPECT_EQ(caption->text, "Write");
  auto state = Ask({"state", "FormDemo", "PadWrite"});
  ASSERT_TRUE(state && state->ok);
  EXPECT_NE(state->text.find("Bounds=10,10,40,30\n"), std::string::npos) << state->text;
  EXPECT_NE(state->text.find("Windowed=0\n"), std::string::npos) << state->text;
  EXPECT_NE(state->text.find("Colour=0000FF\n"), std::string::npos) << state->text;
  auto form = Ask({"caption", "FormDemo", ""});
  ASSERT_TRUE(form && form->ok);
  EXPECT_EQ(form->text, "Forms Demo");

  auto missing = Ask({"state", "FormDemo", "Edit6"});
  ASSERT_TRUE(missing);
  EXPECT_FALSE(missing->ok);
  EXPECT_EQ(missing->text, "no control Edit6");
}

TEST_F(DemoProgram, AutomationClickTakesTheRealMousePath) {
  Start();
  svtest::MessageBoxWatcher noBoxes(demo->Id());
  auto reply = Ask({"click", "FormDemo", "PadWrite"});
  ASSERT_TRUE(reply && reply->ok);
  EXPECT_TRUE(svtest::WaitUntil([&] { return folder.Read("clicked.txt") == "PadWrite\n"; }));
  // An abort is silent: the handler ran, and no box came.
  reply = Ask({"click", "FormDemo", "PadQuiet"});
  ASSERT_TRUE(reply && reply->ok);
  EXPECT_TRUE(svtest::WaitUntil([&] { return folder.Exists("quiet.txt"); }));
  Sleep(300);
}

TEST_F(DemoProgram, ErrorInAHandlerShowsTheBoxTitledWithTheApplicationTitle) {
  Start();
  svtest::MessageBoxWatcher watcher(demo->Id(), svtest::MessageBoxWatcher::Mode::Record);
  ASSERT_TRUE(Ask({"click", "FormDemo", "PadFail"}));
  ASSERT_TRUE(watcher.WaitForBoxes(1));
  std::vector<svtest::SeenBox> boxes = watcher.Seen();
  EXPECT_EQ(boxes[0].title, kTitle);
  EXPECT_EQ(boxes[0].text, "Demo failure.");
  // The program goes on.
  ASSERT_TRUE(svtest::WaitUntil([&] {
    auto reply = Ask({"click", "FormDemo", "PadWrite"});
    return reply && reply->ok;
  }));
  EXPECT_TRUE(svtest::WaitUntil([&] { return folder.Exists("clicked.txt"); }));
}

TEST_F(DemoProgram, UnexpectedBoxFailsTheTestWithItsText) {
  Start();
  EXPECT_NONFATAL_FAILURE(
      {
        svtest::MessageBoxWatcher watcher(demo->Id());
        Ask({"click", "FormDemo", "PadFail"});
        watcher.WaitForBoxes(1);
      },
      "Unexpected message box \"Sorivanel Forms Demo\": Demo failure.");
}

TEST_F(DemoProgram, CaptureWritesTheControlsPixels) {
  Start();
  std::string file = svtest::PathToUtf8(folder / "pad.bmp");
  auto reply = Ask({"capture", "FormDemo", "PadWrite", file});
  ASSERT_TRUE(reply && reply->ok) << (reply ? reply->text : "no reply");
  auto bytes = folder.Read("pad.bmp");
  ASSERT_TRUE(bytes);
  ASSERT_GE(bytes->size(), 54u);
  auto read32 = [&](std::size_t at) {
    std::int32_t value;
    std::memcpy(&value, bytes->data() + at, 4);
    return value;
  };
  EXPECT_EQ(bytes->substr(0, 2), "BM");
  EXPECT_EQ(read32(18), 40);  // width
  EXPECT_EQ(read32(22), 30);  // height
  std::size_t rowSize = (40 * 3 + 3) & ~3u;
  ASSERT_EQ(bytes->size(), 54u + rowSize * 30);
  for (std::size_t row : {0u, 29u}) {
    const char* pixel = bytes->data() + 54 + row * rowSize + 3 * 20;
    EXPECT_EQ(static_cast<unsigned char>(pixel[2]), 255u);  // red
    EXPECT_EQ(static_cast<unsigned char>(pixel[1]), 0u);
    EXPECT_EQ(static_cast<unsigned char>(pixel[0]), 0u);
  }
  // The whole form: green background around the pads.
  reply = Ask({"capture", "FormDemo", "", svtest::PathToUtf8(folder / "form.bmp")});
  ASSERT_TRUE(reply && reply->ok);
  bytes = folder.Read("form.bmp");
  ASSERT_TRUE(bytes);
  int height = read32(22);
  std::size_t formRow = (static_cast<std::size_t>(read32(18)) * 3 + 3) & ~3u;
  // Client pixel (5, 5) sits in the bottom-up file at row height - 6.
  const char* corner = bytes->data() + 54 + static_cast<std::size_t>(height - 6) * formRow + 3 * 5;
  EXPECT_EQ(static_cast<unsigned char>(corner[1]), 128u);
  EXPECT_EQ(static_cast<unsigned char>(corner[2]), 0u);
}

TEST_F(DemoProgram, ClosingTheMainFormEndsTheProgramAfterItsOnClose) {
  Start();
  PostMessageW(formWindow, WM_CLOSE, 0, 0);
  ASSERT_TRUE(demo->WaitForExit(10000));
  EXPECT_EQ(demo->ExitCode(), 0u);
  EXPECT_EQ(folder.Read("closed.txt"), "closed\n");
  EXPECT_EQ(folder.Read("destroyed.txt"), "destroyed\n");
  EXPECT_EQ(FindWindowW(L"TApplication", L"Sorivanel Forms Demo"), nullptr);
}

TEST_F(DemoProgram, HaltEndsAtOnceAfterFreeingTheForms) {
  Start();
  svtest::MessageBoxWatcher noBoxes(demo->Id());
  ASSERT_TRUE(Ask({"click", "FormDemo", "PadHalt"}));
  ASSERT_TRUE(demo->WaitForExit(10000));
  EXPECT_EQ(demo->ExitCode(), 3u);
  EXPECT_FALSE(folder.Exists("closed.txt")) << "no closing: the program just ends";
  EXPECT_EQ(folder.Read("destroyed.txt"), "destroyed\n");
}

}  // namespace
