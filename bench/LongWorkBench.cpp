// The player's answers while it works long, under Wine on the "No sound"
// device, behind the loopback peers of mms_peer.py, each the best of three:
//   - a close while a list's first entry, a station that takes its time,
//     opens; during the import of a 20,000-entry list; while a hostile
//     station (a head that never ends) opens; each against a close at rest,
//     from the close posted to the program's end;
//   - a file handed over while a station opens, until it is treated,
//     against the same hand-over at rest.
//   mms_peer.py tone.asf -- env SV_TEST_BIN=<build> wine player_long_work_bench.exe
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "bench/BenchRow.h"
#include "tests/player/app/HeldStation.h"
#include "tests/player/app/PlayerTestSupport.h"

namespace playertest {
namespace {

constexpr char kNoSound[] = "[SOUND_DEVICE]\r\nDEVICE=0\r\n[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n";
constexpr int kRounds = 3;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class LongWorkBench : public PlayerProgram {
 public:
  void TestBody() override {}

  // A player with this own list, started and made ready by `ready`; the
  // milliseconds from the close to the program's end.
  double QuitMs(const std::string& list, const std::function<void()>& ready) {
    Prepare(kNoSound, list);
    Place("long.wav", "a.wav");
    ReleaseHeldStation('h');
    Start();
    if (ready) ready();
    return CloseMs();
  }

  // From the close posted to the program's end; one that does not end is
  // stopped, so that the next start finds its folder free.
  double CloseMs() {
    const auto start = Clock::now();
    PostMessageW(mainWindow, WM_CLOSE, 0, 0);
    const bool ended = player->WaitForExit(120000);
    const double ms = MsSince(start);
    if (!ended) {
      std::printf("the player did not end\n");
      player->Kill();
      player->WaitForExit(10000);
    }
    return ms;
  }

  double Best(const std::function<double()>& measure) {
    double best = 1e12;
    for (int round = 0; round < kRounds; ++round) best = std::min(best, measure());
    return best;
  }

  void Run() {
    const std::string atRest = "#EXTM3U\r\na.wav\r\n";
    const double rest = Best([&] { return QuitMs(atRest, [&] { Second({"/play"}); }); });

    // A list whose first entry is the held station, given at the start.
    const double stationFirst = Best([&] {
      Prepare(kNoSound);
      Place("long.wav", "a.wav");
      folder.Write("list.m3u", "#EXTM3U\r\n" + HeldStation() + "\r\na.wav\r\na.wav\r\na.wav\r\n");
      ReleaseHeldStation('h');
      Start({PathOf("list.m3u")});
      return CloseMs();
    });

    // The close posted as the import is seen running.
    const double longImport = Best([&] {
      Prepare(kNoSound);
      Place("a.wav");
      std::string pls = "[playlist]\r\nFile1=a.wav\r\n";
      for (int i = 2; i <= 20000; ++i) pls += "File" + std::to_string(i) + "=missing" + std::to_string(i) + ".wav\r\n";
      folder.Write("big.pls", pls);
      Start();
      Clock::time_point posted{};
      client.WhileReplying = [&](const std::string& state) {
        if (posted != Clock::time_point{} || state.find("Work=Import") == std::string::npos) return;
        posted = Clock::now();
        PostMessageW(mainWindow, WM_CLOSE, 0, 0);
      };
      svtest::LaunchOptions options;
      options.workingFolder = folder.Path();
      svtest::ProgramUnderTest second(program, {PathOf("big.pls")}, options);
      svtest::WaitUntil(
          [&] {
            State();
            return posted != Clock::time_point{} || !player->Running();
          },
          120000);
      client.WhileReplying = nullptr;
      const bool ended = player->WaitForExit(120000);
      // Not seen running: no figure (the best of the others stands).
      const double ms = posted == Clock::time_point{} ? 1e12 : MsSince(posted);
      if (!ended) player->Kill();
      second.WaitForExit(30000);
      return ms;
    });

    const double hostile = Best([&] {
      return QuitMs("#EXTM3U\r\n" + PeerStation("ENDLESS") + "\r\n", [&] {
        Second({"/play"});
        WaitFor("Opening", "1");
      });
    });

    // A hand-over until it is treated: during the held station's open, and
    // at rest.
    const auto handOverMs = [&](bool opening) {
      Prepare(kNoSound, opening ? "#EXTM3U\r\n" + HeldStation() + "\r\n" : "#EXTM3U\r\n");
      const std::string a = Place("long.wav", "a.wav");
      ReleaseHeldStation('h');
      Start();
      if (opening) {
        Second({"/play"});
        WaitFor("Opening", "1");
      }
      const auto start = Clock::now();
      Second({a});
      WaitFor("Playing", "1");
      const double ms = MsSince(start);
      Quit();
      return ms;
    };
    const double handOverOpening = Best([&] { return handOverMs(true); });
    const double handOverRest = Best([&] { return handOverMs(false); });

    std::printf("close: at rest %.0f ms, station first %.0f ms, 20,000-entry import %.0f ms, hostile station %.0f ms\n",
                rest, stationFirst, longImport, hostile);
    std::printf("hand-over of a file: during a station's open %.0f ms, at rest %.0f ms\n", handOverOpening,
                handOverRest);
    PrintBenchRow("close while a list's first entry, a station, opens vs at rest", stationFirst, rest, "ms");
    PrintBenchRow("close during a 20,000-entry import vs at rest", longImport, rest, "ms");
    PrintBenchRow("close while a hostile station opens vs at rest", hostile, rest, "ms");
    PrintBenchRow("hand-over of a file: during a station's open vs at rest", handOverOpening, handOverRest, "ms");
  }
};

}  // namespace
}  // namespace playertest

int main() {
  if (playertest::PeerPort("HELD").empty()) {
    std::printf("run behind mms_peer.py\n");
    return 2;
  }
  playertest::LongWorkBench().Run();
  return 0;
}
