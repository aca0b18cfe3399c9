#pragma once
// While a test runs, watches for modal message boxes (dialog class
// "#32770") of a process, records their title and text and dismisses them.
// In the default mode every box seen fails the test with its text, so an
// unexpected error box shows up as a readable failure instead of a hang.
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace svtest {

struct SeenBox {
  std::string title;
  std::string text;
};

class MessageBoxWatcher {
 public:
  enum class Mode {
    FailOnBox,  // each box is a test failure (reported when the watcher ends)
    Record,     // boxes are expected; the test checks Seen()
  };

  explicit MessageBoxWatcher(DWORD processId = GetCurrentProcessId(), Mode mode = Mode::FailOnBox);
  ~MessageBoxWatcher();
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  // Boxes with a button of this id (IDNO, IDYES...) are answered with it;
  // others, and all boxes by default, with their first button.
  void Answer(int buttonId) { answer_ = buttonId; }

  std::vector<SeenBox> Seen() const;
  // Waits until `count` boxes have been seen, pumping this thread's
  // messages; false after the time.
  bool WaitForBoxes(std::size_t count, DWORD timeoutMs = 10000) const;

 private:
  void Watch();
  void Inspect(HWND box);

  DWORD processId_;
  Mode mode_;
  std::atomic<bool> stop_{false};
  std::atomic<int> answer_{0};
  mutable std::mutex mutex_;
  std::vector<SeenBox> seen_;
  std::thread thread_;
};

}  // namespace svtest
