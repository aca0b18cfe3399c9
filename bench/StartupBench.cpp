// Start-up of the player under Wine with a saved list of 10,000 entries
// against an empty one, and its working set once started, against the same
// with an empty list and against an empty Win32 window program.
//   SV_TEST_BIN=<build> wine player_startup_bench.exe
#include "tests/player/app/PlayerTestSupport.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "bench/BenchRow.h"

namespace playertest {
namespace {

using namespace std::chrono_literals;

// What the memory is read after, so that both programs have settled alike.
constexpr auto kSettle = 500ms;

std::size_t WorkingSetKb(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.WorkingSetSize / 1024 : 0;
}

class StartupBench : public PlayerProgram {
 public:
  void TestBody() override {}

  // Milliseconds from the start until the start-up is done, and the
  // working set then, in KB.
  std::pair<double, std::size_t> Measure(std::size_t entries) {
    std::string list = "#EXTM3U\r\n";
    for (std::size_t i = 0; i < entries; ++i)
      list += "#EXTINF:-1,Song " + std::to_string(i) + "\r\nsongs\\s" + std::to_string(i % 50) + ".wav\r\n";
    Prepare("[SOUND_DEVICE]\r\nDEVICE=0\r\n", entries ? list : std::string());
    std::filesystem::create_directories(folder / "songs");
    for (int i = 0; i < 50; ++i) Place("a.wav", "songs/s" + std::to_string(i) + ".wav");
    const auto start = std::chrono::steady_clock::now();
    Start();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::this_thread::sleep_for(kSettle);
    const std::size_t kb = WorkingSetKb(player->Handle());
    Quit();
    return {ms, kb};
  }
};

std::size_t EmptyWindowKb() {
  svtest::ProgramUnderTest program(svtest::BuiltFile("bench/empty_window.exe"), {});
  HWND window = program.WaitForWindow("SvEmptyWindow", "", 20000);
  if (!window) return 0;
  std::this_thread::sleep_for(kSettle);
  const std::size_t kb = WorkingSetKb(program.Handle());
  PostMessageW(window, WM_CLOSE, 0, 0);
  program.WaitForExit(10000);
  return kb;
}

}  // namespace
}  // namespace playertest

int main() {
  // The best of three starts: other work on the machine only ever adds time.
  double emptyMs = 1e9, fullMs = 1e9;
  std::size_t emptyKb = 0, fullKb = 0;
  for (int round = 0; round < 3; ++round) {
    playertest::StartupBench empty, full;
    const auto [eMs, eKb] = empty.Measure(0);
    const auto [fMs, fKb] = full.Measure(10000);
    std::printf("empty list: %.0f ms, %zu KB; 10,000 entries: %.0f ms, %zu KB\n", eMs, eKb, fMs, fKb);
    emptyMs = std::min(emptyMs, eMs);
    fullMs = std::min(fullMs, fMs);
    emptyKb = eKb;
    fullKb = fKb;
  }
  const std::size_t windowKb = playertest::EmptyWindowKb();
  std::printf("empty Win32 window program: %zu KB\n", windowKb);
  PrintBenchRow("start-up: 10,000 entries vs empty list", fullMs, emptyMs, "ms");
  PrintBenchRow("working set: 10,000 entries vs empty list", static_cast<double>(fullKb),
                static_cast<double>(emptyKb), "KB");
  PrintBenchRow("working set: player vs empty window program", static_cast<double>(emptyKb),
                static_cast<double>(windowKb), "KB");
  return 0;
}
