#include "sono/win32/Library.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <deque>
#include <mutex>
#include <vector>

#include "sono/win32/WaveOutDevice.h"

namespace sono::win32 {

namespace {

std::mutex stateMutex;
std::string proxyText;
std::deque<std::string> descriptions;  // deque: handed-out texts never move
std::vector<std::shared_ptr<std::atomic<bool>>> openings;

}  // namespace

Engine& TheEngine() {
  // Lives for the whole process and is never destroyed: pump threads cannot
  // be joined while the system unloads the DLL under its loader lock.
  static Engine* const engine = std::make_unique<Engine>().release();
  return *engine;
}

PluginRegistry& ThePlugins() {
  // Kept alive for the same reason: a playing channel may run plug-in code.
  static PluginRegistry* const plugins = std::make_unique<PluginRegistry>().release();
  return *plugins;
}

void SetProxyText(std::string text) {
  std::lock_guard lock(stateMutex);
  proxyText = std::move(text);
}

std::string ProxyText() {
  std::lock_guard lock(stateMutex);
  return proxyText;
}

OpeningStream::OpeningStream() : cancel_(std::make_shared<std::atomic<bool>>(false)) {
  std::lock_guard lock(stateMutex);
  openings.push_back(cancel_);
}

OpeningStream::~OpeningStream() {
  std::lock_guard lock(stateMutex);
  std::erase(openings, cancel_);
}

void CancelOpeningStreams() {
  std::lock_guard lock(stateMutex);
  for (const auto& cancel : openings) cancel->store(true);
}

const char* DeviceDescription(int device) {
  std::string name;
  if (device == 0) {
    name = MakeNullOutputDevice()->Description();
  } else if (device > 0) {
    auto system = WaveOutDeviceName(static_cast<unsigned>(device - 1));
    if (!system) return Fail(Error::kBadDevice, static_cast<const char*>(nullptr));
    name = std::move(*system);
  } else {
    return Fail(Error::kBadDevice, static_cast<const char*>(nullptr));
  }
  std::lock_guard lock(stateMutex);
  for (const std::string& known : descriptions)
    if (known == name) {
      SetLastError(Error::kOk);
      return known.c_str();
    }
  descriptions.push_back(std::move(name));
  SetLastError(Error::kOk);
  return descriptions.back().c_str();
}

std::unique_ptr<OutputDevice> OpenDevice(int device) {
  if (device == 0) return MakeNullOutputDevice();
  if (device == -1) {
    // Without any system output, playing silently beats not starting.
    if (WaveOutDeviceCount() == 0) return MakeNullOutputDevice();
    auto output = MakeWaveOutDevice(WAVE_MAPPER, "Default");
    return output ? std::move(output) : Fail(Error::kDeviceFailed, std::unique_ptr<OutputDevice>{});
  }
  if (device < 0 || static_cast<unsigned>(device) > WaveOutDeviceCount())
    return Fail(Error::kBadDevice, std::unique_ptr<OutputDevice>{});
  auto name = WaveOutDeviceName(static_cast<unsigned>(device - 1));
  auto output = MakeWaveOutDevice(static_cast<unsigned>(device - 1), name.value_or(std::string{}));
  return output ? std::move(output) : Fail(Error::kDeviceFailed, std::unique_ptr<OutputDevice>{});
}

}  // namespace sono::win32
