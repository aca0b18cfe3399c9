// The skinned main window of the player under Wine: the time from "/show"
// to the first fully painted window (the first showing loads the skin)
// against a later showing, a full repaint at 1024 x 768 with the nine-piece
// skin against the plain one, and the player's GDI objects and windows
// before and after 1,000 skin reloads and 1,000 show/hide cycles.
//   SV_TEST_BIN=<build> wine main_window_bench.exe
#include "tests/player/app/PlayerTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench/BenchRow.h"
#include "tests/support/GdiObjects.h"

namespace playertest {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct WindowCount {
  DWORD processId;
  long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
  ++reinterpret_cast<WindowCount*>(data)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM data) {
  auto& found = *reinterpret_cast<WindowCount*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != found.processId) return TRUE;
  ++found.count;
  EnumChildWindows(window, &CountChild, data);
  return TRUE;
}

long Windows(DWORD processId) {
  WindowCount found{processId, 0};
  EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&found));
  return found.count;
}

BOOL CALLBACK ChildPainted(HWND window, LPARAM data) {
  if (IsWindowVisible(window) && GetUpdateRect(window, nullptr, FALSE)) *reinterpret_cast<bool*>(data) = false;
  return TRUE;
}

// Shown, and nothing of it or its children waits to be painted.
bool Painted(HWND window) {
  if (!IsWindowVisible(window) || GetUpdateRect(window, nullptr, FALSE)) return false;
  bool painted = true;
  EnumChildWindows(window, &ChildPainted, reinterpret_cast<LPARAM>(&painted));
  return painted;
}

class MainWindowBench : public PlayerProgram {
 public:
  void TestBody() override {}

  void Begin() {
    Prepare("ApparitionProgressive=0\r\nCheckNouvelleVersion=0\r\nGauche=0\r\nHaut=0\r\nLargeur=300\r\nHauteur=380\r\n");
    std::filesystem::copy(svtest::BuiltFile("player/app/skin"), folder / "skin",
                          std::filesystem::copy_options::recursive);
    Start();
  }

  // What a second instance does: the argument as a global atom, sent to the
  // main window, treated before the call returns.
  void HandOver(const std::string& argument) {
    static const UINT message = RegisterWindowMessageW(L"WM_ENVOI_ATOM");
    const ATOM atom = GlobalAddAtomW(std::wstring(argument.begin(), argument.end()).c_str());
    DWORD_PTR taken = 0;
    SendMessageTimeoutW(mainWindow, message, atom, 0, SMTO_NORMAL, 30000, &taken);
    if (taken != 1) GlobalDeleteAtom(atom);
  }

  // Milliseconds from "/show" until the window is painted.
  double Show() {
    const auto start = Clock::now();
    HandOver("/show");
    while (!Painted(mainWindow) && MsSince(start) < 30000) std::this_thread::yield();
    return MsSince(start);
  }

  void Hide() {
    HandOver("/show");
    svtest::WaitUntil([&] { return !IsWindowVisible(mainWindow); }, 30000);
  }

  // Milliseconds per full repaint of the window and its children.
  double Repaint(int rounds) {
    const auto start = Clock::now();
    for (int i = 0; i < rounds; ++i)
      RedrawWindow(mainWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return MsSince(start) / rounds;
  }

  void Run() {
    Begin();
    const DWORD process = player->Id();
    HANDLE handle = player->Handle();

    const double first = Show();
    std::vector<double> later;
    for (int i = 0; i < 10; ++i) {
      Hide();
      later.push_back(Show());
    }
    std::sort(later.begin(), later.end());
    const double laterMedian = later[later.size() / 2];
    std::printf("/show to painted: first %.1f ms, later (median of 10) %.1f ms\n", first, laterMedian);

    SetWindowPos(mainWindow, nullptr, 0, 0, 1024, 768, SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint(5);
    const double plain = Repaint(100);
    HandOver("/skin:ardoise");
    Repaint(5);
    const double nine = Repaint(100);
    std::printf("full repaint at 1024x768: default skin %.2f ms, ardoise (nine pieces, colour key) %.2f ms\n", plain,
                nine);

    const long gdiBeforeSkins = svtest::GdiObjects(handle), windowsBeforeSkins = Windows(process);
    const auto skinsStart = Clock::now();
    for (int i = 0; i < 1000; ++i) HandOver(i % 2 ? "/skin:ardoise" : "/skin:default");
    const double perReload = MsSince(skinsStart) / 1000;
    const long gdiAfterSkins = svtest::GdiObjects(handle), windowsAfterSkins = Windows(process);
    std::printf("1,000 skin reloads (%.2f ms each): GDI objects %ld -> %ld, windows %ld -> %ld\n", perReload,
                gdiBeforeSkins, gdiAfterSkins, windowsBeforeSkins, windowsAfterSkins);

    SetWindowPos(mainWindow, nullptr, 0, 0, 300, 380, SWP_NOZORDER | SWP_NOACTIVATE);
    const long gdiBeforeShows = svtest::GdiObjects(handle), windowsBeforeShows = Windows(process);
    const auto showsStart = Clock::now();
    for (int i = 0; i < 1000; ++i) {
      HandOver("/show");
      HandOver("/show");
    }
    const double perCycle = MsSince(showsStart) / 1000;
    const long gdiAfterShows = svtest::GdiObjects(handle), windowsAfterShows = Windows(process);
    std::printf("1,000 show/hide cycles (%.2f ms each): GDI objects %ld -> %ld, windows %ld -> %ld\n", perCycle,
                gdiBeforeShows, gdiAfterShows, windowsBeforeShows, windowsAfterShows);
    Quit();

    PrintBenchRow("main window: first /show to painted vs a later one", first, laterMedian, "ms");
    PrintBenchRow("main window: repaint 1024x768, nine-piece vs plain skin", nine, plain, "ms");
    PrintBenchRow("main window: GDI objects after vs before 1,000 skin reloads", static_cast<double>(gdiAfterSkins),
                  static_cast<double>(gdiBeforeSkins), "objects");
    PrintBenchRow("main window: windows after vs before 1,000 skin reloads", static_cast<double>(windowsAfterSkins),
                  static_cast<double>(windowsBeforeSkins), "windows");
    PrintBenchRow("main window: GDI objects after vs before 1,000 show/hide", static_cast<double>(gdiAfterShows),
                  static_cast<double>(gdiBeforeShows), "objects");
    PrintBenchRow("main window: windows after vs before 1,000 show/hide", static_cast<double>(windowsAfterShows),
                  static_cast<double>(windowsBeforeShows), "windows");
  }
};

}  // namespace
}  // namespace playertest

int main() {
  playertest::MainWindowBench bench;
  bench.Run();
  return 0;
}
