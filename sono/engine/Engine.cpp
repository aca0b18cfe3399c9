#include "sono/engine/Engine.h"

#include <cmath>

namespace sono {

Engine::~Engine() {
  std::map<uint32_t, std::shared_ptr<Channel>> channels;
  std::vector<std::shared_ptr<Channel>> retired;
  {
    std::lock_guard lock(mutex_);
    channels.swap(channels_);
    retired.swap(retired_);
  }
  for (auto& [handle, channel] : channels) channel->Retire();
  for (auto& [handle, channel] : channels) channel->Join();
  for (auto& channel : retired) channel->Join();
}

bool Engine::Init(std::unique_ptr<OutputDevice> device) {
  std::lock_guard lock(mutex_);
  if (device_) return Fail(Error::kAlreadyInitialised, false);
  if (!device) return Fail(Error::kBadDevice, false);
  device_ = std::move(device);
  SetLastError(Error::kOk);
  return true;
}

bool Engine::Initialised() {
  std::lock_guard lock(mutex_);
  return device_ != nullptr;
}

uint32_t Engine::NextHandle(uint32_t& counter) {
  if (++counter == 0) ++counter;
  return counter;
}

uint32_t Engine::CreateChannel(ChannelKind kind, std::unique_ptr<Decoder> decoder,
                               std::shared_ptr<StreamMetadata> metadata) {
  Reap();
  if (!decoder) return Fail(Error::kFormat, 0u);
  const PcmFormat format = decoder->Format();
  if (format.rate == 0 || format.channels == 0) return Fail(Error::kFormat, 0u);
  std::lock_guard lock(mutex_);
  if (!device_) return Fail(Error::kNotInitialised, 0u);
  const uint32_t handle = NextHandle(channelCounter_);
  channels_[handle] = std::make_shared<Channel>(handle, kind, std::move(decoder), std::move(metadata), *device_);
  SetLastError(Error::kOk);
  return handle;
}

bool Engine::Free(uint32_t handle, ChannelKind kind) {
  std::shared_ptr<Channel> channel;
  {
    std::lock_guard lock(mutex_);
    auto it = channels_.find(handle);
    if (it == channels_.end() || it->second->Kind() != kind) return Fail(Error::kBadHandle, false);
    channel = std::move(it->second);
    channels_.erase(it);
    std::erase_if(effectOwners_, [&](const auto& entry) { return entry.second == handle; });
    retired_.push_back(channel);
  }
  channel->Retire();
  Reap();
  SetLastError(Error::kOk);
  return true;
}

void Engine::Reap() {
  std::vector<std::shared_ptr<Channel>> finished;
  {
    std::lock_guard lock(mutex_);
    std::erase_if(retired_, [&](std::shared_ptr<Channel>& channel) {
      if (!channel->Exited() || channel->OnPumpThread()) return false;
      finished.push_back(std::move(channel));
      return true;
    });
  }
  for (auto& channel : finished) channel->Join();
}

std::shared_ptr<Channel> Engine::Find(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto it = channels_.find(handle);
  if (it == channels_.end()) return Fail(Error::kBadHandle, std::shared_ptr<Channel>{});
  return it->second;
}

std::shared_ptr<Channel> Engine::FindEffectOwner(uint32_t fx) {
  std::lock_guard lock(mutex_);
  auto owner = effectOwners_.find(fx);
  if (owner == effectOwners_.end()) return Fail(Error::kBadHandle, std::shared_ptr<Channel>{});
  auto it = channels_.find(owner->second);
  if (it == channels_.end()) return Fail(Error::kBadHandle, std::shared_ptr<Channel>{});
  return it->second;
}

int64_t Engine::Length(uint32_t handle) {
  auto channel = Find(handle);
  if (!channel) return -1;
  const int64_t length = channel->LengthBytes();
  SetLastError(length < 0 ? Error::kNotAvailable : Error::kOk);
  return length;
}

int64_t Engine::Position(uint32_t handle) {
  auto channel = Find(handle);
  if (!channel) return -1;
  SetLastError(Error::kOk);
  return static_cast<int64_t>(channel->PositionBytes());
}

bool Engine::SetPosition(uint32_t handle, uint64_t bytes) {
  auto channel = Find(handle);
  if (!channel) return false;
  const Error error = channel->SetPositionBytes(bytes);
  SetLastError(error);
  return error == Error::kOk;
}

double Engine::BytesToSeconds(uint32_t handle, int64_t bytes) {
  auto channel = Find(handle);
  if (!channel) return -1;
  if (bytes < 0) return Fail(Error::kBadParameter, -1.0);
  const PcmFormat& format = channel->Format();
  SetLastError(Error::kOk);
  return static_cast<double>(bytes) / static_cast<double>(format.BytesPerFrame() * format.rate);
}

int64_t Engine::SecondsToBytes(uint32_t handle, double seconds) {
  auto channel = Find(handle);
  if (!channel) return -1;
  if (!std::isfinite(seconds) || seconds < 0 || seconds > 1e9) return Fail(Error::kBadParameter, int64_t{-1});
  const PcmFormat& format = channel->Format();
  SetLastError(Error::kOk);
  // Whole frames only, so the result is always a valid position.
  const auto frames = static_cast<int64_t>(seconds * format.rate);
  return frames * static_cast<int64_t>(format.BytesPerFrame());
}

bool Engine::Play(uint32_t handle, bool restart) {
  auto channel = Find(handle);
  if (!channel) return false;
  const Error error = channel->Play(restart);
  SetLastError(error);
  return error == Error::kOk;
}

bool Engine::Pause(uint32_t handle) {
  auto channel = Find(handle);
  if (!channel) return false;
  const Error error = channel->Pause();
  SetLastError(error);
  return error == Error::kOk;
}

int Engine::Activity(uint32_t handle) {
  auto channel = Find(handle);
  if (!channel) return kStopped;
  SetLastError(Error::kOk);
  return channel->Activity();
}

bool Engine::SetAttributes(uint32_t handle, int frequency, int volume, int panning) {
  auto channel = Find(handle);
  if (!channel) return false;
  // A channel plays at its own rate and in the middle; only "unchanged"
  // (or the values it already has) are accepted for those.
  const bool frequencyKept = frequency == -1 || frequency == 0 ||
                             static_cast<uint32_t>(frequency) == channel->Format().rate;
  const bool panningKept = panning == -101 || panning == 0;
  if (!frequencyKept || !panningKept || volume < -1 || volume > 100) return Fail(Error::kBadParameter, false);
  if (volume >= 0) channel->SetVolume(volume);
  SetLastError(Error::kOk);
  return true;
}

uint32_t Engine::SetSync(uint32_t handle, uint32_t type, SyncProc proc) {
  if ((type != kSyncEnd && type != kSyncMeta) || !proc) return Fail(Error::kBadParameter, 0u);
  auto channel = Find(handle);
  if (!channel) return 0;
  uint32_t sync;
  {
    std::lock_guard lock(mutex_);
    sync = NextHandle(otherCounter_);
  }
  channel->AddSync(sync, type, std::move(proc));
  SetLastError(Error::kOk);
  return sync;
}

const char* Engine::Tags(uint32_t handle, uint32_t type) {
  auto channel = Find(handle);
  if (!channel) return nullptr;
  Error error;
  const char* text = channel->Tags(type, error);
  SetLastError(error);
  return text;
}

uint32_t Engine::SetEffect(uint32_t handle, uint32_t type, int priority) {
  if (type != kParametricEq) return Fail(Error::kBadEffect, 0u);
  auto channel = Find(handle);
  if (!channel) return 0;
  uint32_t fx;
  {
    std::lock_guard lock(mutex_);
    if (!channels_.contains(handle)) return Fail(Error::kBadHandle, 0u);
    fx = NextHandle(otherCounter_);
    effectOwners_[fx] = handle;
  }
  channel->AddEffect(fx, priority);
  SetLastError(Error::kOk);
  return fx;
}

bool Engine::RemoveEffect(uint32_t handle, uint32_t fx) {
  std::shared_ptr<Channel> channel;
  {
    std::lock_guard lock(mutex_);
    auto owner = effectOwners_.find(fx);
    // An effect of another channel is refused, whatever it is.
    if (owner == effectOwners_.end() || owner->second != handle) return Fail(Error::kBadHandle, false);
    effectOwners_.erase(owner);
    channel = channels_.at(handle);
  }
  channel->RemoveEffect(fx);
  SetLastError(Error::kOk);
  return true;
}

bool Engine::SetEffectParameters(uint32_t fx, const EqParameters& parameters) {
  auto channel = FindEffectOwner(fx);
  if (!channel) return false;
  const Error error = channel->SetEffectParameters(fx, parameters);
  SetLastError(error);
  return error == Error::kOk;
}

bool Engine::EffectParameters(uint32_t fx, EqParameters& parameters) {
  auto channel = FindEffectOwner(fx);
  if (!channel) return false;
  if (!channel->EffectParameters(fx, parameters)) return Fail(Error::kBadHandle, false);
  SetLastError(Error::kOk);
  return true;
}

bool Engine::SetVolume(int level) {
  std::lock_guard lock(mutex_);
  if (!device_) return Fail(Error::kNotInitialised, false);
  if (!device_->SetVolume(level)) return Fail(Error::kBadParameter, false);
  SetLastError(Error::kOk);
  return true;
}

int Engine::Volume() {
  std::lock_guard lock(mutex_);
  if (!device_) return Fail(Error::kNotInitialised, -1);
  SetLastError(Error::kOk);
  return device_->Volume();
}

}  // namespace sono
