// The test harness itself: the probe process, window lookup by process and
// the temporary folder.
#include <gtest/gtest.h>

#include "tests/support/TestSupport.h"

namespace {

TEST(Probe, SeesHotKeysTakenByThisProcess) {
  ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, VK_F11));
  auto taken = svtest::RunProbe({"hotkey", "3", "122"});
  EXPECT_EQ(taken.exitCode, 1409u) << taken.output;
  UnregisterHotKey(nullptr, 7);
  auto free = svtest::RunProbe({"hotkey", "3", "122"});
  EXPECT_EQ(free.exitCode, 0u) << free.output;
}

TEST(Probe, FindsGlobalAtomsAndWindows) {
  ATOM atom = GlobalAddAtomW(L"SorivanelProbeAtom");
  auto found = svtest::RunProbe({"atom", "sorivanelprobeatom"});
  EXPECT_EQ(found.exitCode, 0u);
  EXPECT_EQ(std::stoul(found.output), atom);
  GlobalDeleteAtom(atom);
  EXPECT_EQ(svtest::RunProbe({"atom", "SorivanelProbeAtom"}).exitCode, 1u);
  EXPECT_EQ(svtest::RunProbe({"findwindow", "-", "No such window anywhere"}).exitCode, 1u);
}

TEST(WindowLookup, WaitsOnlyForWindowsOfTheGivenProcess) {
  HWND own =
      CreateWindowExW(0, L"STATIC", L"Lookup target", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(svtest::WaitForWindow("Static", "Lookup target", 500, GetCurrentProcessId()), own);
  EXPECT_EQ(svtest::WaitForWindow("Static", "Lookup target", 200, GetCurrentProcessId() + 4), nullptr);
  EXPECT_EQ(svtest::WindowText(own), "Lookup target");
  DestroyWindow(own);
}

TEST(TempFolder, HoldsFilesAndGoesAway) {
  std::filesystem::path path;
  {
    svtest::TempFolder folder;
    path = folder.Path();
    folder.Write("é.txt", "bytes\r\n");
    EXPECT_EQ(folder.Read("é.txt"), "bytes\r\n");
    std::filesystem::path copy = folder.CopyIn(folder / "é.txt", "copy.bin");
    EXPECT_EQ(svtest::ReadFileBytes(copy), "bytes\r\n");
    EXPECT_FALSE(folder.Read("missing.txt").has_value());
  }
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
