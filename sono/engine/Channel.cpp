#include "sono/engine/Channel.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace sono {

namespace {

// Frames decoded per step: small enough that effect changes are heard
// within one buffer, large enough to keep the pump's wake-ups cheap.
constexpr size_t kChunkFrames = 2048;
// How long the pump sleeps when the output has no room.
constexpr auto kIdleWait = std::chrono::milliseconds(10);

}  // namespace

Channel::Channel(uint32_t handle, ChannelKind kind, std::unique_ptr<Decoder> decoder,
                 std::shared_ptr<StreamMetadata> metadata, OutputDevice& device)
    : handle_(handle),
      kind_(kind),
      format_(decoder->Format()),
      lengthFrames_(decoder->LengthFrames()),
      moduleName_(decoder->ModuleName()),
      metadata_(std::move(metadata)),
      device_(device),
      decoder_(std::move(decoder)) {}

Channel::~Channel() {
  Retire();
  if (pump_.joinable()) {
    if (OnPumpThread())
      pump_.detach();
    else
      pump_.join();
  }
}

int64_t Channel::LengthBytes() const {
  if (lengthFrames_ < 0) return -1;
  return lengthFrames_ * static_cast<int64_t>(format_.BytesPerFrame());
}

uint64_t Channel::PositionBytes() {
  std::lock_guard lock(streamMutex_);
  uint64_t frame = baseFrame_ + (stream_ ? stream_->PlayedFrames() : 0);
  if (lengthFrames_ >= 0) frame = std::min(frame, static_cast<uint64_t>(lengthFrames_));
  return frame * format_.BytesPerFrame();
}

Error Channel::SetPositionBytes(uint64_t bytes) {
  std::lock_guard control(controlMutex_);
  return SeekLocked(bytes / format_.BytesPerFrame());
}

Error Channel::SeekLocked(uint64_t frame) {
  // A live stream cannot seek; refusing here also keeps the caller from
  // waiting on a network read that holds the decoder.
  if (lengthFrames_ < 0) return Error::kNotAvailable;
  if (frame > static_cast<uint64_t>(lengthFrames_)) return Error::kPosition;
  std::lock_guard decode(decodeMutex_);
  if (!decoder_) return Error::kBadHandle;
  if (!decoder_->Seek(frame)) return Error::kPosition;
  decoderEnded_ = false;
  std::lock_guard lock(streamMutex_);
  if (stream_) stream_->Reset();
  baseFrame_ = frame;
  pendingFrames_ = 0;
  pendingOffset_ = 0;
  return Error::kOk;
}

Error Channel::Play(bool restart) {
  std::lock_guard control(controlMutex_);
  bool finished;
  {
    // Not under the decoder's lock: a network read may hold it for long.
    std::lock_guard state(stateMutex_);
    if (quit_) return Error::kBadHandle;
    finished = decoderEnded_ && activity_ == kStopped;
  }
  // A channel that reached its end starts over, as a restart does.
  if (restart || finished) {
    const Error error = SeekLocked(0);
    if (error != Error::kOk && !(error == Error::kNotAvailable && !finished)) return error;
  }
  {
    std::lock_guard lock(streamMutex_);
    if (!stream_) {
      {
        // A stream opened after Retire closed the output would play on.
        std::lock_guard state(stateMutex_);
        if (quit_) return Error::kBadHandle;
      }
      stream_ = device_.Open(format_);
      if (!stream_) return Error::kDeviceFailed;
    }
    stream_->SetPaused(false);
  }
  std::lock_guard state(stateMutex_);
  if (quit_) return Error::kBadHandle;
  activity_ = kPlaying;
  if (!pump_.joinable()) {
    pump_ = std::thread([this] { Run(); });
    pumpId_ = pump_.get_id();
  }
  wake_.notify_all();
  return Error::kOk;
}

Error Channel::Pause() {
  std::lock_guard control(controlMutex_);
  {
    std::lock_guard state(stateMutex_);
    if (activity_ != kPlaying) return Error::kNotAvailable;
    activity_ = kPaused;
  }
  wake_.notify_all();
  std::lock_guard lock(streamMutex_);
  if (stream_) stream_->SetPaused(true);
  return Error::kOk;
}

int Channel::Activity() {
  std::lock_guard state(stateMutex_);
  return activity_;
}

void Channel::AddSync(uint32_t sync, uint32_t type, SyncProc proc) {
  std::lock_guard lock(callbackMutex_);
  syncs_.push_back({sync, type, std::move(proc)});
}

void Channel::AddEffect(uint32_t fx, int priority) {
  std::lock_guard lock(effectMutex_);
  // Higher priority runs first; equal priorities keep their order.
  auto at = std::find_if(effects_.begin(), effects_.end(),
                         [&](const Effect& e) { return e.priority < priority; });
  effects_.insert(at, Effect{fx, priority, EqParameters{}, PeakingFilter(format_.rate), false});
}

void Channel::RemoveEffect(uint32_t fx) {
  std::lock_guard lock(effectMutex_);
  std::erase_if(effects_, [&](const Effect& e) { return e.handle == fx; });
}

Error Channel::SetEffectParameters(uint32_t fx, EqParameters parameters) {
  if (!NormaliseEqParameters(parameters, format_.rate)) return Error::kBadParameter;
  std::lock_guard lock(effectMutex_);
  for (Effect& e : effects_) {
    if (e.handle == fx) {
      e.parameters = parameters;
      e.configured = false;
      return Error::kOk;
    }
  }
  return Error::kBadHandle;
}

bool Channel::EffectParameters(uint32_t fx, EqParameters& parameters) {
  std::lock_guard lock(effectMutex_);
  for (const Effect& e : effects_) {
    if (e.handle == fx) {
      parameters = e.parameters;
      return true;
    }
  }
  return false;
}

const char* Channel::Tags(uint32_t type, Error& error) {
  std::lock_guard lock(tagMutex_);
  error = Error::kNotAvailable;
  switch (type) {
    case kTagHeaders: {
      if (!metadata_) return nullptr;
      tagSnapshot_.clear();
      // Each text ends with a NUL; the string's own terminator then ends
      // the list with an empty text.
      for (const std::string& header : metadata_->Headers()) {
        tagSnapshot_ += header;
        tagSnapshot_.push_back('\0');
      }
      break;
    }
    case kTagMeta: {
      if (!metadata_) return nullptr;
      uint64_t serial = 0;
      tagSnapshot_ = metadata_->MetaText(serial);
      if (serial == 0) return nullptr;
      break;
    }
    case kTagModuleName:
      if (kind_ != ChannelKind::kModule) return nullptr;
      tagSnapshot_ = moduleName_;
      break;
    default:
      error = Error::kBadParameter;
      return nullptr;
  }
  error = Error::kOk;
  return tagSnapshot_.c_str();
}

void Channel::Retire() {
  {
    std::lock_guard lock(callbackMutex_);
    retired_ = true;
  }
  if (metadata_) metadata_->Cancel();
  {
    std::lock_guard state(stateMutex_);
    quit_ = true;
    if (!pump_.joinable()) exited_ = true;
  }
  wake_.notify_all();
  // The output closes here, not when the pump gets round to it: the caller
  // may unload the system's audio driver (or end the process) as soon as
  // this returns, and a device still being closed on the pump thread then
  // runs into a driver that is gone. The pump never holds this lock across
  // a read, so this does not wait for the network.
  {
    std::lock_guard lock(streamMutex_);
    stream_.reset();
  }
  // A file is closed before this returns, so that the caller may at once
  // rewrite or replace it (a tag save after a pause). A decode step on a
  // local file is short; a live stream's read may block on the network, so
  // its connection is left to the pump.
  if (lengthFrames_ >= 0) {
    std::lock_guard decode(decodeMutex_);
    decoder_.reset();
  }
}

bool Channel::OnPumpThread() const { return pumpId_.load() == std::this_thread::get_id(); }

void Channel::Join() {
  if (pump_.joinable() && !OnPumpThread()) pump_.join();
}

void Channel::Run() {
  try {
    for (;;) {
      {
        std::unique_lock state(stateMutex_);
        wake_.wait(state, [&] { return quit_ || activity_ == kPlaying; });
        if (quit_) break;
      }
      PollMetadata();
      bool ended = false;
      const bool progress = Step(ended);
      if (ended) {
        FireSyncs(kSyncEnd, nullptr);
      } else if (!progress) {
        std::unique_lock state(stateMutex_);
        wake_.wait_for(state, kIdleWait, [&] { return quit_ || activity_ != kPlaying; });
      }
    }
  } catch (...) {
    // Out of memory in the pump: the channel simply stops.
  }
  {
    // A freed channel lets go of its file or connection now, not when the
    // engine gets round to joining this thread; a pump stopped by a failure
    // falls silent too.
    std::lock_guard decode(decodeMutex_);
    decoder_.reset();
    std::lock_guard lock(streamMutex_);
    stream_.reset();
  }
  exited_ = true;
}

bool Channel::Step(bool& ended) {
  std::lock_guard decode(decodeMutex_);
  if (!decoder_) return false;  // retired
  bool progress = false;
  bool needData;
  {
    std::lock_guard lock(streamMutex_);
    needData = pendingOffset_ >= pendingFrames_;
  }
  if (needData && !decoderEnded_) {
    // Decoding runs without the stream lock, so position queries never wait
    // for a network read.
    decoded_.resize(kChunkFrames * format_.channels);
    const size_t frames = std::min(decoder_->Read(decoded_.data(), kChunkFrames), kChunkFrames);
    if (frames == 0) {
      decoderEnded_ = true;
    } else {
      ApplyEffectsAndVolume(decoded_.data(), frames);
      std::lock_guard lock(streamMutex_);
      pending_.swap(decoded_);
      pendingFrames_ = frames;
      pendingOffset_ = 0;
      progress = true;
    }
  }
  std::lock_guard lock(streamMutex_);
  // Retire closed the output: the pump is about to stop.
  if (!stream_) return false;
  if (pendingOffset_ < pendingFrames_) {
    const size_t taken = stream_->Queue(pending_.data() + pendingOffset_ * format_.channels,
                                        pendingFrames_ - pendingOffset_);
    pendingOffset_ += taken;
    progress = progress || taken > 0;
  }
  if (decoderEnded_ && pendingOffset_ >= pendingFrames_ && stream_->PlayedFrames() >= stream_->QueuedFrames()) {
    std::lock_guard state(stateMutex_);
    if (activity_ == kPlaying && !quit_) {
      activity_ = kStopped;
      ended = true;
    }
  }
  return progress;
}

void Channel::ApplyEffectsAndVolume(int16_t* pcm, size_t frames) {
  std::lock_guard lock(effectMutex_);
  const int volume = volume_;
  if (effects_.empty() && volume == 100) return;
  cascade_.clear();
  for (Effect& e : effects_) {
    if (!e.configured) {
      e.filter.Configure(e.parameters);
      e.configured = true;
    }
    cascade_.push_back(&e.filter);
  }
  ProcessCascade(cascade_.data(), cascade_.size(), format_.channels, pcm, frames, volume / 100.0);
}

void Channel::FireSyncs(uint32_t type, const char* data) {
  std::lock_guard lock(callbackMutex_);
  if (retired_) return;
  std::vector<Sync> matching;
  for (const Sync& s : syncs_)
    if (s.type == type) matching.push_back(s);
  for (const Sync& s : matching) {
    try {
      s.proc(s.handle, handle_, data);
    } catch (...) {
      // A callback's failure must not stop the channel.
    }
    if (retired_) return;
  }
}

void Channel::PollMetadata() {
  if (!metadata_) return;
  uint64_t serial = 0;
  const std::string text = metadata_->MetaText(serial);
  if (serial == metaSerial_) return;
  metaSerial_ = serial;
  FireSyncs(kSyncMeta, text.c_str());
}

}  // namespace sono
