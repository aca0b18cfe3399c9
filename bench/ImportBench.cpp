// Imports handed over to the running player under Wine, on the "No sound"
// device, each timed from the second start to its end (the hand-over
// returns once the import is done), the best of three:
//   - an M3U of 200 and of 2,000 tagged MP3 entries with the window shown,
//     against the same with the window in the tray;
//   - a PLS of 100,000 entries with their titles, against the same entries
//     as an M3U with their titles.
//   SV_TEST_BIN=<build> wine player_import_bench.exe
#include "tests/player/app/PlayerTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/BenchRow.h"

namespace playertest {
namespace {

constexpr char kNoSound[] = "[SOUND_DEVICE]\r\nDEVICE=0\r\n";
constexpr int kRounds = 3;

class ImportBench : public PlayerProgram {
 public:
  void TestBody() override {}

  void StartPlayer() {
    Prepare(kNoSound);
    folder.CopyIn(svtest::BuiltFile("bench/songs") / "tagged2.mp3", "tagged.mp3");
    Start();
  }

  // An M3U of `count` entries of the tagged song, whose titles are read.
  std::string TaggedList(int count) {
    const std::string name = "tagged" + std::to_string(count) + ".m3u";
    std::string text = "#EXTM3U\r\n";
    for (int i = 0; i < count; ++i) text += "tagged.mp3\r\n";
    folder.Write(name, text);
    return PathOf(name);
  }

  // Milliseconds the hand-over of the list takes, the best of the rounds.
  double ImportMs(const std::string& list) {
    double best = 1e12;
    for (int round = 0; round < kRounds; ++round) {
      const auto start = std::chrono::steady_clock::now();
      if (Second({list}, 600000) != 0) std::printf("the hand-over of %s failed\n", list.c_str());
      best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
  }

  void TaggedImports() {
    StartPlayer();
    const std::string lists[] = {TaggedList(200), TaggedList(2000)};
    double hidden[2] = {}, shown[2] = {};
    for (int i = 0; i < 2; ++i) hidden[i] = ImportMs(lists[i]);
    Second({"/show"});
    for (int i = 0; i < 2; ++i) shown[i] = ImportMs(lists[i]);
    Quit();
    std::printf("200 tagged entries: shown %.0f ms, hidden %.0f ms; 2,000: shown %.0f ms, hidden %.0f ms\n",
                shown[0], hidden[0], shown[1], hidden[1]);
    PrintBenchRow("import of 200 tagged entries: window shown vs hidden", shown[0], hidden[0], "ms");
    PrintBenchRow("import of 2,000 tagged entries: window shown vs hidden", shown[1], hidden[1], "ms");
  }

  void LongPls() {
    constexpr int kEntries = 100000;
    StartPlayer();
    std::string pls = "[playlist]\r\n", m3u = "#EXTM3U\r\n";
    for (int i = 1; i <= kEntries; ++i) {
      const std::string n = std::to_string(i);
      pls += "File" + n + "=songs\\s" + n + ".mp3\r\nTitle" + n + "=Song " + n + "\r\n";
      m3u += "#EXTINF:-1,Song " + n + "\r\nsongs\\s" + n + ".mp3\r\n";
    }
    pls += "NumberOfEntries=" + std::to_string(kEntries) + "\r\nVersion=2\r\n";
    folder.Write("long.pls", pls);
    folder.Write("long.m3u", m3u);
    const double plsMs = ImportMs(PathOf("long.pls"));
    const double m3uMs = ImportMs(PathOf("long.m3u"));
    Quit();
    std::printf("100,000 entries: PLS %.0f ms, M3U %.0f ms\n", plsMs, m3uMs);
    PrintBenchRow("import of 100,000 entries: PLS vs M3U", plsMs, m3uMs, "ms");
  }
};

}  // namespace
}  // namespace playertest

int main() {
  playertest::ImportBench().TaggedImports();
  playertest::ImportBench().LongPls();
  return 0;
}
