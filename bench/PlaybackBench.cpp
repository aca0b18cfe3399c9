// The running player under Wine, on the "No sound" device, each figure
// against a reference from the same run:
//   - song changes: a list of the same 2-second MP3 ten times, from the
//     moment the first plays until the player stands stopped after the
//     last, per song, against that song played once; ten times the
//     difference, over nine changes, is what a change costs beyond noticing
//     a song's end; with the info bubble off, and on as shipped (the window
//     stays in the tray, so each song is announced) with the windows
//     managed as in a Wine prefix left as made;
//   - CPU while playing a 60-second MP3, against the same player paused.
//   SV_TEST_BIN=<build> wine player_playback_bench.exe
#include "tests/player/app/PlayerTestSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <thread>

#include "bench/BenchRow.h"
#include "bench/HostProcessCpu.h"

namespace playertest {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr char kNoSound[] = "[SOUND_DEVICE]\r\nDEVICE=0\r\n[LECT]\r\nIndex=0\r\nLectureBoucle=0\r\n";
constexpr int kSongs = 10;
constexpr int kRounds = 3;
constexpr double kSongRate = 44100;
constexpr auto kCpuWindow = 10s;

std::filesystem::path BenchSong(std::string_view name) {
  return svtest::BuiltFile("bench/songs") / svtest::PathFromUtf8(name);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

class PlaybackBench : public PlayerProgram {
 public:
  void TestBody() override {}

  void StartWith(const std::vector<std::string>& songs, std::string_view source, bool bubble = false) {
    std::string list = "#EXTM3U\r\n";
    for (const std::string& song : songs) list += song + "\r\n";
    Prepare(std::string(bubble ? "AfficherBallon=1\r\n" : "AfficherBallon=0\r\n") + kNoSound, list);
    for (const std::string& song : songs) folder.CopyIn(BenchSong(source), song);
    Start();
  }

  struct Seen {
    int index = -1;
    bool playing = false;
    bool channel = false;
  };

  Seen Look() {
    auto state = State();
    Seen seen;
    try {
      seen.index = std::stoi(state["CurrentIndex"]);
    } catch (const std::exception&) {
    }
    seen.playing = state["Playing"] == "1";
    seen.channel = state["Channel"] == "1";
    return seen;
  }

  // Seconds from when `first` is seen playing after a click on the button
  // (a click is posted) until the player stands stopped at the start of the
  // list after the last entry played.
  std::optional<double> TimeToEnd(const char* button, int first, int last) {
    // The buttons come back only once the end of the list is fully treated.
    const auto refused = Clock::now();
    for (auto reply = client.Request(appWindow, {"click", "Form1", button}); !reply || !reply->ok;
         reply = client.Request(appWindow, {"click", "Form1", button})) {
      if (Clock::now() - refused > 10s) {
        std::printf("%s: %s\n", button, reply ? reply->text.c_str() : "no answer");
        return std::nullopt;
      }
      Sleep(5);
    }
    const Clock::time_point clicked = Clock::now();
    std::optional<Clock::time_point> start;
    bool reachedLast = first == last;
    while (Clock::now() - clicked < 30s) {
      const Seen seen = Look();
      const Clock::time_point now = Clock::now();
      if (!start) {
        if (seen.playing && seen.index == first) start = now;
      } else {
        if (seen.index == last) reachedLast = true;
        if (reachedLast && seen.index == 0 && !seen.channel)
          return std::chrono::duration<double>(now - *start).count();
      }
      Sleep(1);
    }
    const Seen seen = Look();
    std::printf("%s from entry %d: %s; now entry %d, playing %d\n", button, first,
                start ? "the list did not end" : "never seen playing", seen.index, seen.playing);
    return std::nullopt;
  }

  // Milliseconds per song of the list played through and of the song
  // played once (medians over the rounds).
  std::optional<std::pair<double, double>> SongChanges(bool bubble) {
    std::vector<std::string> songs;
    for (int i = 0; i < kSongs; ++i) songs.push_back("song" + std::to_string(i) + ".mp3");
    std::optional<ManagedWindows> managed;
    if (bubble) managed.emplace();
    StartWith(songs, "song2.mp3", bubble);
    // "Previous" from the first entry plays the last one alone; the first
    // time also warms the decoder up.
    if (!TimeToEnd("SpdBtnPrev", kSongs - 1, kSongs - 1)) return std::nullopt;
    std::vector<double> inARow, alone;
    for (int round = 0; round < kRounds; ++round) {
      const auto all = TimeToEnd("SpdBtnPlay", 0, kSongs - 1);
      const auto one = TimeToEnd("SpdBtnPrev", kSongs - 1, kSongs - 1);
      if (!all || !one) return std::nullopt;
      std::printf("%d in a row %.1f ms, one alone %.1f ms\n", kSongs, *all * 1000, *one * 1000);
      inARow.push_back(*all * 1000 / kSongs);
      alone.push_back(*one * 1000);
    }
    Quit();
    return std::make_pair(Median(inARow), Median(alone));
  }

  // Percent of one core over the window.
  std::optional<double> CpuPercent(const bench::HostProcessCpu& cpu) {
    std::this_thread::sleep_for(1s);
    const auto before = cpu.Seconds();
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(kCpuWindow);
    const auto after = cpu.Seconds();
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    if (!before || !after) return std::nullopt;
    return (*after - *before) / wall * 100;
  }

  // Percent of one core while playing and while paused.
  std::optional<std::pair<double, double>> PlayingCpu() {
    StartWith({"long.mp3"}, "song60.mp3");
    const bench::HostProcessCpu cpu(svtest::PathToUtf8(folder.Path().filename()));
    if (!cpu.Found()) {
      std::printf("the player's host process was not found\n");
      return std::nullopt;
    }
    client.Request(appWindow, {"click", "Form1", "SpdBtnPlay"});
    if (!WaitFor("Playing", "1", 5000)) return std::nullopt;
    const auto playing = CpuPercent(cpu);
    client.Request(appWindow, {"click", "Form1", "SpdBtnPlay"});
    if (!WaitFor("Playing", "0", 5000)) return std::nullopt;
    const auto paused = CpuPercent(cpu);
    Quit();
    if (!playing || !paused) return std::nullopt;
    std::printf("CPU playing %.2f%%, paused %.2f%%\n", *playing, *paused);
    return std::make_pair(*playing, *paused);
  }
};

}  // namespace
}  // namespace playertest

int main() {
  int result = 0;
  for (const bool bubble : {false, true}) {
    playertest::PlaybackBench bench;
    const char* row = bubble ? "song change, info bubble on: per song, 10 in a row vs played once"
                             : "song change: per song, 10 in a row vs played once";
    if (const auto changes = bench.SongChanges(bubble)) {
      const double perChange = (changes->first - changes->second) * playertest::kSongs / (playertest::kSongs - 1);
      std::printf("bubble %s: a song change costs %.1f ms (%.0f samples at 44.1 kHz) more than a stop at the end\n",
                  bubble ? "on" : "off", perChange, perChange / 1000 * playertest::kSongRate);
      PrintBenchRow(row, changes->first, changes->second, "ms");
    } else {
      std::printf("song changes: the player did not play the list through\n");
      result = 1;
    }
  }
  {
    playertest::PlaybackBench bench;
    if (const auto cpu = bench.PlayingCpu()) {
      PrintBenchRow("player CPU: playing vs paused (% of a core)", cpu->first, cpu->second, "%");
    } else {
      std::printf("playing CPU: not measured\n");
      result = 1;
    }
  }
  return result;
}
