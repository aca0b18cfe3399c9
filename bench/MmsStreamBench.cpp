// CPU of sono.dll playing an "mms://" station (WMA in ASF over MMS on HTTP)
// against the same 30-second tone as an HTTP radio station (MP3), both from
// loopback peers on the "No sound" device. Run behind the peers:
//   mms_peer.py tone30.asf --http tone30.mp3 -- wine sono_mms_bench.exe
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>

#include "bench/BenchRow.h"
#include "sono/include/sono.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kWindow = 10s;

// User and system time of this process so far, in seconds.
std::optional<double> OwnCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return std::nullopt;
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// Percent of one core while the station plays, over the window.
std::optional<double> PlayingCpu(const std::string& url) {
  const HSONOCHANNEL channel = SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
  if (channel == 0) {
    std::printf("%s: error %d\n", url.c_str(), SONO_ErrorGetCode());
    return std::nullopt;
  }
  SONO_ChannelPlay(channel, FALSE);
  std::this_thread::sleep_for(1s);
  const auto before = OwnCpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(kWindow);
  const auto after = OwnCpuSeconds();
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const bool playing = SONO_ChannelIsActive(channel) == SONO_ACTIVE_PLAYING;
  SONO_StreamFree(channel);
  if (!before || !after || !playing) {
    std::printf("%s: %s\n", url.c_str(), playing ? "no CPU figures" : "stopped before the window ended");
    return std::nullopt;
  }
  return (*after - *before) / wall * 100;
}

}  // namespace

int main() {
  const char* mms = std::getenv("MMS_PEER_PLAY");
  const char* http = std::getenv("MMS_PEER_HTTP");
  if (!mms || !http) {
    std::printf("run behind mms_peer.py with --http\n");
    return 2;
  }
  if (!SONO_Init(0, 44100, 0, nullptr, nullptr)) return 3;
  const auto overMms = PlayingCpu(std::string("mms://127.0.0.1:") + mms + "/tone30.asf");
  const auto overHttp = PlayingCpu(std::string("http://127.0.0.1:") + http + "/tone30.mp3");
  if (!overMms || !overHttp) return 1;
  std::printf("CPU playing: mms:// WMA %.2f%%, http:// MP3 %.2f%%\n", *overMms, *overHttp);
  PrintBenchRow("radio CPU: mms:// WMA vs http:// MP3 (% of a core)", *overMms, *overHttp, "%");
  return 0;
}
