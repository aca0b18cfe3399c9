#pragma once
// The player run as a real process in a folder of its own: started, driven
// by second instances and the automation interface, and read back through
// the files it writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/IniFile.h"
#include "tests/support/TestSupport.h"

namespace playertest {

// Files the build made for these tests (sox tones, 8 kHz mono).
std::filesystem::path Fixture(std::string_view name);

class PlayerProgram : public ::testing::Test {
 protected:
  PlayerProgram();
  void TearDown() override;

  // Copies the program and its libraries in; the settings and saved
  // playlist are written first when given.
  void Prepare(const std::string& ini = {}, const std::string& m3u = {});
  // Starts the first instance and waits until it answers; it runs in the
  // player's folder unless another working folder is given.
  void Start(const std::vector<std::string>& arguments = {}, bool expectBoxes = false,
             const std::filesystem::path& workingFolder = {});
  // A second start (in the player's folder, or the one given); returns its
  // exit code once it has ended and the player has treated what it handed
  // over. The sender is let go early where the player holds the arguments
  // back (during a list import, a tree scan or a song change) or opens a
  // station.
  DWORD Second(const std::vector<std::string>& arguments, DWORD timeoutMs = 20000);
  DWORD SecondIn(const std::filesystem::path& workingFolder, const std::vector<std::string>& arguments);
  // The same, returning as soon as the second start has ended: for a start
  // made while the player waits on the test.
  DWORD SecondEnded(const std::vector<std::string>& arguments, DWORD timeoutMs = 20000);
  // Waits until the player holds no arguments back and runs no list work,
  // or has gone.
  bool WaitUntilTreated();
  // Ends the player with "/quit" and waits for it.
  void Quit();

  // The main window's state (CurrentIndex, Channel, Entries, ...).
  std::map<std::string, std::string> State(const std::string& component = "");
  // The same of another form (by its name), e.g. "FormInfoBulle".
  std::map<std::string, std::string> FormState(const std::string& form, const std::string& component = "");
  std::string Value(const std::string& key, const std::string& component = "");
  // Waits generously: a loaded machine only makes the player slower.
  bool WaitFor(const std::string& key, const std::string& value, DWORD timeoutMs = 30000,
               const std::string& component = "");
  // Waits for a list of that many entries and the end of the work that
  // fills it: the last entry shows while the import still lets messages
  // run, and a click then is refused as one during an import.
  bool WaitForList(std::size_t entries);
  sv::IniFile Settings() const;
  // Selects the entries (by index) in the shown list and presses "I"; the
  // tag editor once its files are loaded, or null.
  HWND OpenTagEditorOn(const std::vector<int>& entries);
  // The entries the saved own list names, as written.
  std::vector<std::string> SavedEntries() const;

  // Copies a fixture into the player's folder; returns its full path.
  std::string Place(std::string_view fixture, std::string_view name = {});
  std::string PathOf(std::string_view name) const { return svtest::PathToUtf8(folder / name); }

  svtest::TempFolder folder;
  std::filesystem::path program;
  svtest::AutomationClient client;
  std::unique_ptr<svtest::ProgramUnderTest> player;
  std::unique_ptr<svtest::MessageBoxWatcher> watcher;
  HWND appWindow = nullptr;
  HWND mainWindow = nullptr;
};

// The player's windows managed as in a Wine prefix left as made (the test
// prefix makes them unmanaged) while it lives; it applies to players
// started meanwhile. Showing a managed window there waits for a window
// manager, which the virtual display has not.
class ManagedWindows {
 public:
  ManagedWindows();
  ~ManagedWindows();
  ManagedWindows(const ManagedWindows&) = delete;
  ManagedWindows& operator=(const ManagedWindows&) = delete;

 private:
  HKEY key_ = nullptr;
};

// Ctrl and a key, pressed and released through the input queue: what the
// player's global hot keys answer.
void PressWithCtrl(WORD key);

}  // namespace playertest
