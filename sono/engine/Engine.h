#pragma once
// The channel table and the calls behind the library's exports. Handles of
// channels, syncs and effects come from 32-bit counters that skip 0 and are
// never reused within a run. Every call is safe from any thread; a failed
// call sets the calling thread's error (Errors.h).
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "sono/engine/Channel.h"

namespace sono {

class Engine {
 public:
  Engine() = default;
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Takes the output device for the run; fails when already initialised.
  bool Init(std::unique_ptr<OutputDevice> device);
  bool Initialised();

  // Returns the new channel's handle, 0 on failure.
  uint32_t CreateChannel(ChannelKind kind, std::unique_ptr<Decoder> decoder,
                         std::shared_ptr<StreamMetadata> metadata = nullptr);
  // Frees a channel of that kind; any other handle is left alone (false).
  bool Free(uint32_t channel, ChannelKind kind);

  int64_t Length(uint32_t channel);  // -1 on failure or for a live stream
  int64_t Position(uint32_t channel);
  bool SetPosition(uint32_t channel, uint64_t bytes);
  double BytesToSeconds(uint32_t channel, int64_t bytes);  // negative on failure
  int64_t SecondsToBytes(uint32_t channel, double seconds);

  bool Play(uint32_t channel, bool restart);
  bool Pause(uint32_t channel);
  int Activity(uint32_t channel);
  // frequency -1 (or 0) and panning -101 leave those as they are; volume
  // 0..100, or -1 for unchanged.
  bool SetAttributes(uint32_t channel, int frequency, int volume, int panning);

  uint32_t SetSync(uint32_t channel, uint32_t type, SyncProc proc);
  const char* Tags(uint32_t channel, uint32_t type);

  // Only type 7 (the parametric equalizer) exists.
  uint32_t SetEffect(uint32_t channel, uint32_t type, int priority);
  bool RemoveEffect(uint32_t channel, uint32_t fx);
  bool SetEffectParameters(uint32_t fx, const EqParameters& parameters);
  bool EffectParameters(uint32_t fx, EqParameters& parameters);

  bool SetVolume(int level);
  int Volume();  // -1 on failure

  static constexpr uint32_t kParametricEq = 7;

 private:
  std::shared_ptr<Channel> Find(uint32_t channel);
  std::shared_ptr<Channel> FindEffectOwner(uint32_t fx);
  uint32_t NextHandle(uint32_t& counter);
  // Joins pump threads of freed channels that have finished.
  void Reap();

  std::mutex mutex_;
  std::unique_ptr<OutputDevice> device_;
  std::map<uint32_t, std::shared_ptr<Channel>> channels_;
  std::map<uint32_t, uint32_t> effectOwners_;  // effect → channel
  std::vector<std::shared_ptr<Channel>> retired_;
  uint32_t channelCounter_ = 0;
  uint32_t otherCounter_ = 0;  // syncs and effects
};

}  // namespace sono
