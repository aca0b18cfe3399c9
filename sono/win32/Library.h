#pragma once
// The library's state for the whole process: the engine, the plug-ins, the
// proxy text and the device names handed out.
#include <atomic>
#include <memory>
#include <string>

#include "sono/engine/Engine.h"
#include "sono/win32/Plugins.h"

namespace sono::win32 {

Engine& TheEngine();
PluginRegistry& ThePlugins();

void SetProxyText(std::string text);
std::string ProxyText();

// A stream open in progress, listed for its whole life so that
// SONO_StreamCancelURL can end it from another thread: no channel, and so
// no channel's cancel, exists yet.
class OpeningStream {
 public:
  OpeningStream();
  ~OpeningStream();
  OpeningStream(const OpeningStream&) = delete;
  OpeningStream& operator=(const OpeningStream&) = delete;
  const std::shared_ptr<std::atomic<bool>>& Cancel() const { return cancel_; }

 private:
  std::shared_ptr<std::atomic<bool>> cancel_;
};

// Sets the cancel flag of every open in progress.
void CancelOpeningStreams();

// Device n's name as a text that stays valid for the run; null past the
// last device.
const char* DeviceDescription(int device);
// The output for SONO_Init's device number; null (with the error set) when
// there is no such device.
std::unique_ptr<OutputDevice> OpenDevice(int device);

// Runs body, turning any exception into a failure with an unknown error:
// nothing may escape through the C interface.
template <typename T, typename Body>
T Guarded(T failure, Body body) {
  try {
    return body();
  } catch (...) {
    SetLastError(Error::kUnknown);
    return failure;
  }
}

}  // namespace sono::win32
