#pragma once
// Starts a program under test with CreateProcessW and keeps it in hand: a
// program still running when the object goes is killed, so a failing test
// never leaves processes behind.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace svtest {

struct LaunchOptions {
  // Empty: the program's own folder.
  std::filesystem::path workingFolder;
  // Added to (or replacing in) the test's own environment.
  std::vector<std::pair<std::string, std::string>> environment;
  // Collects standard output and error (read with Output after the exit).
  bool captureOutput = false;
};

class ProgramUnderTest {
 public:
  // Throws when the program cannot be started. Arguments holding blanks
  // are quoted; our programs split with the rule "quotes toggle, no
  // backslash escapes".
  ProgramUnderTest(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                   LaunchOptions options = {});
  ~ProgramUnderTest();
  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

  DWORD Id() const { return processId_; }
  HANDLE Handle() const { return process_; }
  bool Running() const;
  // True once the program has ended within the time.
  bool WaitForExit(DWORD timeoutMs);
  // Set once the program has ended.
  std::optional<DWORD> ExitCode() const;
  void Kill();
  // What the program wrote to its standard output and error; empty while
  // it runs.
  std::string Output();

  // A top-level window of this program with that class and title (either
  // may be empty: any), waiting for it up to the time; null if none came.
  HWND WaitForWindow(std::string_view className, std::string_view title, DWORD timeoutMs = 10000) const;

 private:
  void FinishOutput();

  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  HANDLE outputRead_ = nullptr;
  std::thread outputReader_;
  std::string output_;
};

struct ProgramResult {
  DWORD exitCode = 0;
  std::string output;
};

// Runs a program to its end (killed after the time, which fails the test).
ProgramResult RunProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         DWORD timeoutMs = 30000);

// The build's sv_probe helper: "hotkey <mods> <vk>" (exit 0 when the key
// could be registered, else the system error, 1409 when it is taken),
// "findwindow <class|-> <title|->" and "atom <name>" (exit 0 when found,
// the handle or atom in decimal on standard output).
ProgramResult RunProbe(const std::vector<std::string>& arguments, DWORD timeoutMs = 30000);

}  // namespace svtest
