#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/ProgramUnderTest.h"

namespace {

std::filesystem::path BesideThisProgram(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path() / name;
}

// The sockets library is released at the program's end; a thread caught
// inside its lock must not keep the program from ending.
TEST(SocketsLibraryEnd, ProgramEndsWhileAThreadIsInsideTheLibraryLock) {
  svtest::ProgramUnderTest probe(BesideThisProgram(L"net_unit_end_probe.exe"), {});
  ASSERT_TRUE(probe.WaitForExit(60000)) << "the program did not end";
  EXPECT_EQ(probe.ExitCode(), 0u);
}

}  // namespace
