// Start-up of the player with a saved list of 10,000 entries against an
// empty one, and its memory once started. Run by hand under Wine:
//   SV_TEST_BIN=<build> wine player_app_bench.exe
#include "tests/player/app/PlayerTestSupport.h"

#include <psapi.h>

#include <chrono>
#include <cstdio>

namespace playertest {
namespace {

class StartupBench : public PlayerProgram {
 public:
  void TestBody() override {}

  // Milliseconds from the start until the tray icon is up and the start-up
  // is done, and the working set then, in KB.
  std::pair<double, std::size_t> Measure(std::size_t entries) {
    std::string list = "#EXTM3U\r\n";
    for (std::size_t i = 0; i < entries; ++i) list += "#EXTINF:-1,Song " + std::to_string(i) + "\r\nsongs\\s" +
                                                       std::to_string(i % 50) + ".wav\r\n";
    Prepare("", entries ? list : std::string());
    std::filesystem::create_directories(folder / "songs");
    for (int i = 0; i < 50; ++i) Place("a.wav", "songs/s" + std::to_string(i) + ".wav");
    const auto start = std::chrono::steady_clock::now();
    Start();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(player->Handle(), &counters, sizeof counters);
    Quit();
    return {ms, counters.WorkingSetSize / 1024};
  }
};

}  // namespace
}  // namespace playertest

int main() {
  PROCESS_MEMORY_COUNTERS own{};
  GetProcessMemoryInfo(GetCurrentProcess(), &own, sizeof own);
  std::printf("working set of this small test program: %zu KB\n", own.WorkingSetSize / 1024);
  for (int round = 0; round < 2; ++round) {
    playertest::StartupBench empty, full;
    const auto [emptyMs, emptyKb] = empty.Measure(0);
    const auto [fullMs, fullKb] = full.Measure(10000);
    std::printf("empty list: %.0f ms, %zu KB; 10,000 entries: %.0f ms, %zu KB; ratio %.2f\n", emptyMs, emptyKb,
                fullMs, fullKb, fullMs / emptyMs);
  }
  return 0;
}
