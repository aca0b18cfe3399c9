// Figures for the engine's costs, printed rather than asserted:
//   1. decoding a file into memory through a channel with five equalizer
//      bands, against decoding it alone;
//   2. CPU time per second of audio while playing on "No sound", against
//      the engine started with nothing to play;
//   3. time from creating a stream to playing it;
//   4. the position on "No sound" against the wall-clock time played;
//   5. time to free a playing stream (its file is closed on return).
// Usage: sono_engine_bench <file.mp3>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <thread>
#include <vector>

#include "bench/BenchRow.h"
#include "sono/core/Decoder.h"
#include "sono/engine/Engine.h"

namespace {

using namespace std::chrono_literals;

// How long the CPU is watched, playing and idle.
constexpr std::chrono::duration<double> kWindow = 3s;

double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Takes everything at once, like an output that never waits.
class SinkStream final : public sono::OutputStream {
 public:
  size_t Queue(const int16_t*, size_t frames) override {
    queued_ += frames;
    return frames;
  }
  uint64_t PlayedFrames() override { return queued_; }
  uint64_t QueuedFrames() override { return queued_; }
  void SetPaused(bool) override {}
  void Reset() override { queued_ = 0; }

 private:
  uint64_t queued_ = 0;
};

class SinkDevice final : public sono::OutputDevice {
 public:
  std::string Description() const override { return "Sink"; }
  std::unique_ptr<sono::OutputStream> Open(const sono::PcmFormat&) override { return std::make_unique<SinkStream>(); }
  bool SetVolume(int) override { return true; }
  int Volume() const override { return 100; }
};

double PlainDecode(const char* path) {
  const double start = CpuSeconds();
  auto decoder = sono::OpenStreamDecoder(path);
  if (!decoder) return -1;
  std::vector<int16_t> buffer(4096 * 2);
  while (decoder->Read(buffer.data(), 4096) > 0) {
  }
  return CpuSeconds() - start;
}

double EngineDecodeWithEq(const char* path) {
  sono::Engine engine;
  engine.Init(std::make_unique<SinkDevice>());
  const double start = CpuSeconds();
  const uint32_t channel = engine.CreateChannel(sono::ChannelKind::kStream, sono::OpenStreamDecoder(path));
  if (channel == 0) return -1;
  for (float centre : {80.0f, 298.57f, 1114.3f, 4158.73f, 15520.95f}) {
    const uint32_t fx = engine.SetEffect(channel, sono::Engine::kParametricEq, 1);
    engine.SetEffectParameters(fx, {centre, 11.4f, 6.0f});
  }
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  engine.SetSync(channel, sono::kSyncEnd, [&](uint32_t, uint32_t, const char*) {
    std::lock_guard lock(mutex);
    done = true;
    ended.notify_all();
  });
  engine.Play(channel, false);
  std::unique_lock lock(mutex);
  ended.wait(lock, [&] { return done; });
  return CpuSeconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <file.mp3>\n", argv[0]);
    return 2;
  }
  const char* path = argv[1];
  // The best of a few runs: other work on the machine only ever adds time.
  double plain = 1e9;
  double engine = 1e9;
  for (int run = 0; run < 3; ++run) {
    plain = std::min(plain, PlainDecode(path));
    engine = std::min(engine, EngineDecodeWithEq(path));
  }
  if (plain < 0 || engine < 0) {
    std::fprintf(stderr, "cannot decode %s\n", path);
    return 1;
  }
  std::printf("decode alone: %.3f s CPU; through a channel with 5 EQ bands: %.3f s CPU (%.2fx)\n", plain, engine,
              engine / plain);
  PrintBenchRow("engine decode: 5 EQ bands vs plain decode", engine * 1000, plain * 1000, "ms CPU");

  sono::Engine player;
  player.Init(sono::MakeNullOutputDevice());
  const double idleBefore = CpuSeconds();
  std::this_thread::sleep_for(kWindow);
  const double idle = (CpuSeconds() - idleBefore) / kWindow.count() * 100;
  const auto before = std::chrono::steady_clock::now();
  const uint32_t channel = player.CreateChannel(sono::ChannelKind::kStream, sono::OpenStreamDecoder(path));
  player.Play(channel, false);
  const double startMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count();
  std::printf("create and play: %.2f ms\n", startMs);

  const double cpuBefore = CpuSeconds();
  std::this_thread::sleep_for(kWindow);
  const double cpu = (CpuSeconds() - cpuBefore) / kWindow.count() * 100;
  std::printf("playing on \"No sound\": %.3f%% of one core; idle: %.3f%%\n", cpu, idle);
  PrintBenchRow("engine CPU, native: playing vs idle (% of a core)", cpu, idle, "%");
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
  const double played = player.BytesToSeconds(channel, player.Position(channel));
  std::printf("position after %.3f s of wall time: %.3f s (%+.1f ms)\n", wall, played, (played - wall) * 1000);
  PrintBenchRow("engine \"No sound\" position vs wall clock", played, wall, "s");

  const auto timeFree = [&](uint32_t handle) {
    const auto freeing = std::chrono::steady_clock::now();
    player.Free(handle, sono::ChannelKind::kStream);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - freeing).count();
  };
  const double playingMs = timeFree(channel);
  const double stoppedMs =
      timeFree(player.CreateChannel(sono::ChannelKind::kStream, sono::OpenStreamDecoder(path)));
  std::printf("free a playing stream: %.2f ms; a stream never played: %.2f ms\n", playingMs, stoppedMs);
  PrintBenchRow("engine free: playing vs never played stream", playingMs, stoppedMs, "ms");
  return 0;
}
