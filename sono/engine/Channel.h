#pragma once
// One channel: a decoder, its playback state and a pump thread that pulls
// PCM through the effects and the channel volume into an output stream.
// Sync callbacks run on the pump thread and never after Retire returns.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sono/core/Decoder.h"
#include "sono/engine/Errors.h"
#include "sono/engine/OutputDevice.h"
#include "sono/engine/PeakingFilter.h"
#include "sono/engine/StreamMetadata.h"

namespace sono {

enum class ChannelKind { kStream, kModule };

enum SyncType : uint32_t { kSyncEnd = 2, kSyncMeta = 4 };

enum TagType : uint32_t { kTagHeaders = 4, kTagMeta = 5, kTagModuleName = 0x10000 };

// Activity as the player reads it: 1 only while playing.
enum Activity : int { kStopped = 0, kPlaying = 1, kPaused = 3 };

// Called with the sync's handle, the channel's handle and, for META, the
// metadata text (null otherwise).
using SyncProc = std::function<void(uint32_t sync, uint32_t channel, const char* data)>;

class Channel {
 public:
  Channel(uint32_t handle, ChannelKind kind, std::unique_ptr<Decoder> decoder,
          std::shared_ptr<StreamMetadata> metadata, OutputDevice& device);
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  uint32_t Handle() const { return handle_; }
  ChannelKind Kind() const { return kind_; }
  const PcmFormat& Format() const { return format_; }
  int64_t LengthBytes() const;  // -1 for a live stream

  uint64_t PositionBytes();
  Error SetPositionBytes(uint64_t bytes);

  Error Play(bool restart);
  Error Pause();
  int Activity();

  void SetVolume(int level) { volume_ = level; }
  int Volume() const { return volume_; }

  void AddSync(uint32_t sync, uint32_t type, SyncProc proc);

  void AddEffect(uint32_t fx, int priority);
  void RemoveEffect(uint32_t fx);
  Error SetEffectParameters(uint32_t fx, EqParameters parameters);
  bool EffectParameters(uint32_t fx, EqParameters& parameters);

  // Null (with an error) when the channel has no such tag; the text stays
  // valid until the next call on this channel or its end.
  const char* Tags(uint32_t type, Error& error);

  // Stops the pump and closes the output; no callback runs and nothing
  // plays once this returns, and a channel of known length has let go of
  // its decoder (and so of its file). A live stream's thread may still be
  // finishing a blocked read, see Exited/Join.
  void Retire();
  bool Exited() const { return exited_; }
  bool OnPumpThread() const;
  void Join();

 private:
  struct Sync {
    uint32_t handle;
    uint32_t type;
    SyncProc proc;
  };
  struct Effect {
    uint32_t handle;
    int priority;
    EqParameters parameters;
    PeakingFilter filter;
    bool configured;
  };

  Error SeekLocked(uint64_t frame);
  void Run();
  // One step of the pump: decodes and queues what fits; true when it made
  // progress. Sets ended (and stops the channel) once everything has been
  // played.
  bool Step(bool& ended);
  void ApplyEffectsAndVolume(int16_t* pcm, size_t frames);
  void FireSyncs(uint32_t type, const char* data);
  void PollMetadata();

  const uint32_t handle_;
  const ChannelKind kind_;
  const PcmFormat format_;
  const int64_t lengthFrames_;
  const std::string moduleName_;
  std::shared_ptr<StreamMetadata> metadata_;
  OutputDevice& device_;
  std::atomic<int> volume_{100};

  // Serialises the caller's Play, Pause and SetPosition. Lock order:
  // control, decode, stream, state.
  std::mutex controlMutex_;

  std::mutex decodeMutex_;
  std::unique_ptr<Decoder> decoder_;
  std::atomic<bool> decoderEnded_{false};  // written under decodeMutex_
  std::vector<int16_t> decoded_;  // the pump's own buffer

  // The output stream and the decoded samples it has not taken yet.
  std::mutex streamMutex_;
  std::unique_ptr<OutputStream> stream_;
  uint64_t baseFrame_ = 0;  // the frame that PlayedFrames 0 stands for
  std::vector<int16_t> pending_;
  size_t pendingFrames_ = 0;
  size_t pendingOffset_ = 0;  // frames of pending_ already queued

  // Play state, shared with the pump.
  std::mutex stateMutex_;
  std::condition_variable wake_;
  int activity_ = kStopped;
  bool quit_ = false;
  std::thread pump_;
  std::atomic<std::thread::id> pumpId_{};
  std::atomic<bool> exited_{false};

  std::mutex effectMutex_;
  std::vector<Effect> effects_;
  std::vector<PeakingFilter*> cascade_;  // the pump's list of effects' filters

  // Held around every callback; Retire takes it, so it waits for a running
  // callback (or is that callback, hence recursive).
  std::recursive_mutex callbackMutex_;
  std::vector<Sync> syncs_;
  bool retired_ = false;
  uint64_t metaSerial_ = 0;

  std::mutex tagMutex_;
  std::string tagSnapshot_;
};

}  // namespace sono
