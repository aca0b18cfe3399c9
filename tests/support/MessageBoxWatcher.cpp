#include "tests/support/MessageBoxWatcher.h"

#include <gtest/gtest.h>

#include "tests/support/WindowLookup.h"

namespace svtest {

namespace {

// The text control of a message box.
constexpr int kTextControlId = 0xFFFF;
// Marks a box already recorded. A handle can come back for the next box
// before this thread sees the first one go, so the mark is on the window
// itself, not on its handle.
constexpr wchar_t kSeenMark[] = L"SvMessageBoxWatcherSeen";

struct BoxSearch {
  DWORD processId;
  std::vector<HWND> boxes;
};

BOOL CALLBACK CollectBoxes(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<BoxSearch*>(data);
  if (IsWindowVisible(window) && WindowProcess(window) == search->processId && WindowClass(window) == "#32770")
    search->boxes.push_back(window);
  return TRUE;
}

BOOL CALLBACK FindButton(HWND child, LPARAM data) {
  if (WindowClass(child) != "Button" || !IsWindowVisible(child)) return TRUE;
  *reinterpret_cast<HWND*>(data) = child;
  return FALSE;
}

}  // namespace

MessageBoxWatcher::MessageBoxWatcher(DWORD processId, Mode mode)
    : processId_(processId), mode_(mode), thread_([this] { Watch(); }) {}

MessageBoxWatcher::~MessageBoxWatcher() {
  stop_ = true;
  thread_.join();
  if (mode_ != Mode::FailOnBox) return;
  for (const SeenBox& box : seen_) ADD_FAILURE() << "Unexpected message box \"" << box.title << "\": " << box.text;
}

void MessageBoxWatcher::Watch() {
  while (!stop_) {
    BoxSearch search{processId_, {}};
    EnumWindows(&CollectBoxes, reinterpret_cast<LPARAM>(&search));
    for (HWND box : search.boxes) Inspect(box);
    Sleep(30);
  }
}

void MessageBoxWatcher::Inspect(HWND box) {
  // A box still there after a dismissal is asked again (the first request
  // may have come before its loop ran) but recorded once, and recorded
  // before it is dismissed, so that whoever waits on the box finds it.
  if (!GetPropW(box, kSeenMark)) {
    HWND textControl = GetDlgItem(box, kTextControlId);
    SeenBox seen{WindowText(box), textControl ? WindowText(textControl) : std::string()};
    SetPropW(box, kSeenMark, reinterpret_cast<HANDLE>(1));
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.push_back(seen);
  }
  HWND button = answer_ != 0 ? GetDlgItem(box, answer_) : nullptr;
  if (button && !IsWindowVisible(button)) button = nullptr;
  if (!button) EnumChildWindows(box, &FindButton, reinterpret_cast<LPARAM>(&button));
  if (button)
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
  else
    PostMessageW(box, WM_CLOSE, 0, 0);
}

std::vector<SeenBox> MessageBoxWatcher::Seen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return seen_;
}

bool MessageBoxWatcher::WaitForBoxes(std::size_t count, DWORD timeoutMs) const {
  return WaitUntil([&] { return Seen().size() >= count; }, timeoutMs);
}

}  // namespace svtest
