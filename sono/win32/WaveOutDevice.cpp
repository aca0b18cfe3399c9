#include "sono/win32/WaveOutDevice.h"

#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <vector>

#include "forms/Wide.h"

namespace sono::win32 {

namespace {

// Blocks of about 50 ms: four of them keep the device fed while the pump
// sleeps between steps, and keep positions close to what is heard.
constexpr size_t kBlocks = 4;

DWORD VolumeWord(int level) {
  const DWORD one = static_cast<DWORD>(level) * 0xFFFFu / 100u;
  return one | (one << 16);
}

// The louder side of a volume word, as 0..100.
int LevelOfWord(DWORD word) {
  const DWORD louder = std::max(word & 0xFFFFu, word >> 16);
  return static_cast<int>((louder * 100u + 0x7FFFu) / 0xFFFFu);
}

// The streams open on a device, so that its level can be read back from the
// output itself.
struct OpenStreams {
  std::mutex mutex;
  std::vector<HWAVEOUT> handles;
};

class WaveOutStream final : public OutputStream {
 public:
  // volume is the level the library was asked for, -1 while it never was:
  // until then the system's own level is left as it is.
  WaveOutStream(HWAVEOUT handle, const PcmFormat& format, std::atomic<int>& volume,
                std::shared_ptr<OpenStreams> open)
      : handle_(handle), channels_(format.channels), blockFrames_(std::max<size_t>(format.rate / 20, 256)),
        volume_(volume), open_(std::move(open)) {
    for (Block& block : blocks_) block.samples.resize(blockFrames_ * channels_);
    appliedVolume_ = volume_;
    if (appliedVolume_ >= 0) waveOutSetVolume(handle_, VolumeWord(appliedVolume_));
    std::lock_guard lock(open_->mutex);
    open_->handles.push_back(handle_);
  }

  ~WaveOutStream() override {
    {
      std::lock_guard lock(open_->mutex);
      std::erase(open_->handles, handle_);
    }
    waveOutReset(handle_);
    for (Block& block : blocks_)
      if (block.prepared) waveOutUnprepareHeader(handle_, &block.header, sizeof block.header);
    waveOutClose(handle_);
  }

  size_t Queue(const int16_t* samples, size_t frames) override {
    std::lock_guard lock(mutex_);
    if (const int level = volume_; level >= 0 && level != appliedVolume_) {
      appliedVolume_ = level;
      waveOutSetVolume(handle_, VolumeWord(level));
    }
    size_t taken = 0;
    while (taken < frames) {
      Block& block = blocks_[next_];
      if (block.prepared && !(block.header.dwFlags & WHDR_DONE)) break;
      if (block.prepared) {
        waveOutUnprepareHeader(handle_, &block.header, sizeof block.header);
        block.prepared = false;
      }
      const size_t count = std::min(blockFrames_, frames - taken);
      std::copy_n(samples + taken * channels_, count * channels_, block.samples.data());
      block.header = {};
      block.header.lpData = reinterpret_cast<LPSTR>(block.samples.data());
      block.header.dwBufferLength = static_cast<DWORD>(count * channels_ * sizeof(int16_t));
      if (waveOutPrepareHeader(handle_, &block.header, sizeof block.header) != MMSYSERR_NOERROR) break;
      block.prepared = true;
      if (waveOutWrite(handle_, &block.header, sizeof block.header) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(handle_, &block.header, sizeof block.header);
        block.prepared = false;
        break;
      }
      taken += count;
      queued_ += count;
      next_ = (next_ + 1) % kBlocks;
    }
    return taken;
  }

  uint64_t PlayedFrames() override {
    std::lock_guard lock(mutex_);
    MMTIME time{};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPosition(handle_, &time, sizeof time) != MMSYSERR_NOERROR || time.wType != TIME_SAMPLES)
      return 0;
    return std::min<uint64_t>(time.u.sample, queued_);
  }

  uint64_t QueuedFrames() override {
    std::lock_guard lock(mutex_);
    return queued_;
  }

  void SetPaused(bool paused) override {
    std::lock_guard lock(mutex_);
    paused_ = paused;
    if (paused)
      waveOutPause(handle_);
    else
      waveOutRestart(handle_);
  }

  void Reset() override {
    std::lock_guard lock(mutex_);
    // Reset returns every block and restarts the sample count at 0; a pause
    // is put back in case the driver ended it.
    waveOutReset(handle_);
    if (paused_) waveOutPause(handle_);
    queued_ = 0;
  }

 private:
  struct Block {
    WAVEHDR header{};
    std::vector<int16_t> samples;
    bool prepared = false;
  };

  std::mutex mutex_;
  const HWAVEOUT handle_;
  const uint32_t channels_;
  const size_t blockFrames_;
  std::atomic<int>& volume_;
  std::shared_ptr<OpenStreams> open_;
  int appliedVolume_ = -1;
  std::array<Block, kBlocks> blocks_;
  size_t next_ = 0;
  uint64_t queued_ = 0;
  bool paused_ = false;
};

class WaveOutDevice final : public OutputDevice {
 public:
  WaveOutDevice(unsigned index, std::string description)
      : index_(index), description_(std::move(description)) {}

  std::string Description() const override { return description_; }

  std::unique_ptr<OutputStream> Open(const PcmFormat& format) override {
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(format.channels);
    wave.nSamplesPerSec = format.rate;
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = static_cast<WORD>(format.BytesPerFrame());
    wave.nAvgBytesPerSec = format.rate * wave.nBlockAlign;
    HWAVEOUT handle = nullptr;
    if (waveOutOpen(&handle, index_, &wave, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return nullptr;
    return std::make_unique<WaveOutStream>(handle, format, volume_, open_);
  }

  bool SetVolume(int level) override {
    if (level < 0 || level > 100) return false;
    volume_ = level;
    return true;
  }

  // The output's real level, which the user or another program may have
  // changed: read back from the latest open stream, else from the device
  // (where the system answers for a device number), else the level last
  // asked for.
  int Volume() const override {
    DWORD word = 0;
    {
      std::lock_guard lock(open_->mutex);
      if (!open_->handles.empty() && waveOutGetVolume(open_->handles.back(), &word) == MMSYSERR_NOERROR) {
        return LevelOfWord(word);
      }
    }
    const auto device = reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(index_));
    if (waveOutGetVolume(device, &word) == MMSYSERR_NOERROR) return LevelOfWord(word);
    const int asked = volume_;
    return asked >= 0 ? asked : 100;
  }

 private:
  const unsigned index_;
  const std::string description_;
  std::atomic<int> volume_{-1};
  std::shared_ptr<OpenStreams> open_ = std::make_shared<OpenStreams>();
};

}  // namespace

unsigned WaveOutDeviceCount() { return waveOutGetNumDevs(); }

std::optional<std::string> WaveOutDeviceName(unsigned index) {
  if (index >= waveOutGetNumDevs()) return std::nullopt;
  WAVEOUTCAPSW caps{};
  if (waveOutGetDevCapsW(index, &caps, sizeof caps) != MMSYSERR_NOERROR) return std::nullopt;
  return forms::narrow(caps.szPname);
}

std::unique_ptr<OutputDevice> MakeWaveOutDevice(unsigned index, std::string description) {
  WAVEFORMATEX wave{};
  wave.wFormatTag = WAVE_FORMAT_PCM;
  wave.nChannels = 2;
  wave.nSamplesPerSec = 44100;
  wave.wBitsPerSample = 16;
  wave.nBlockAlign = 4;
  wave.nAvgBytesPerSec = 44100 * 4;
  if (waveOutOpen(nullptr, index, &wave, 0, 0, WAVE_FORMAT_QUERY) != MMSYSERR_NOERROR) return nullptr;
  return std::make_unique<WaveOutDevice>(index, std::move(description));
}

}  // namespace sono::win32
