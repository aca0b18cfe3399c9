#include <windows.h>
#include <winioctl.h>
#include <ntddcdrm.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>
#include <vector>

#include "sono/cd/CdTrack.h"
#include "sono/cd/platform/Toc.h"

namespace sono::cd {

namespace {

// Raw reads address the disc in 2048-byte units whatever the sector size.
constexpr int64_t kCookedSectorBytes = 2048;
// Drives refuse long raw reads; 20 sectors (47 KB) pass everywhere.
constexpr uint32_t kSectorsPerRead = 20;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

UniqueHandle OpenDrive(int driveLetter) {
  const wchar_t device[] = {L'\\', L'\\', L'.', L'\\', static_cast<wchar_t>(L'A' + driveLetter), L':', 0};
  HANDLE handle = CreateFileW(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return UniqueHandle(handle);
}

// The PCM bytes of one track, read as raw audio sectors on demand.
class CdTrackSource : public ByteSource {
 public:
  CdTrackSource(UniqueHandle drive, SectorSpan span) : drive_(std::move(drive)), span_(span) {}

  size_t Read(void* buffer, size_t size) override {
    auto* out = static_cast<uint8_t*>(buffer);
    size_t done = 0;
    while (done < size && position_ < Size() && !failed_) {
      const auto sector = static_cast<uint32_t>(position_ / kSectorBytes);
      if (!Fill(sector)) break;
      const size_t offset = static_cast<size_t>(position_ - static_cast<int64_t>(cachedFirst_) * kSectorBytes);
      const size_t count = std::min(size - done, cache_.size() - offset);
      std::memcpy(out + done, cache_.data() + offset, count);
      done += count;
      position_ += static_cast<int64_t>(count);
    }
    return done;
  }
  bool CanSeek() const override { return true; }
  bool Seek(int64_t offset) override {
    if (offset < 0 || offset > Size()) return false;
    position_ = offset;
    return true;
  }
  int64_t Tell() const override { return position_; }
  int64_t Size() const override { return static_cast<int64_t>(span_.count) * kSectorBytes; }
  bool Failed() const override { return failed_; }

 private:
  // Makes the cache hold the track's sector (relative to the track start).
  bool Fill(uint32_t sector) {
    const uint32_t cachedCount = static_cast<uint32_t>(cache_.size() / kSectorBytes);
    if (!cache_.empty() && sector >= cachedFirst_ && sector < cachedFirst_ + cachedCount) return true;
    const uint32_t count = std::min(kSectorsPerRead, span_.count - sector);
    cache_.resize(static_cast<size_t>(count) * kSectorBytes);
    RAW_READ_INFO request{};
    request.DiskOffset.QuadPart = static_cast<int64_t>(span_.first + sector) * kCookedSectorBytes;
    request.SectorCount = count;
    request.TrackMode = CDDA;
    DWORD returned = 0;
    if (!DeviceIoControl(drive_.get(), IOCTL_CDROM_RAW_READ, &request, sizeof request, cache_.data(),
                         static_cast<DWORD>(cache_.size()), &returned, nullptr) ||
        returned != cache_.size()) {
      cache_.clear();
      failed_ = true;
      return false;
    }
    cachedFirst_ = sector;
    return true;
  }

  UniqueHandle drive_;
  SectorSpan span_;
  int64_t position_ = 0;
  std::vector<uint8_t> cache_;
  uint32_t cachedFirst_ = 0;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<ByteSource> OpenCdTrack(int driveLetter, int track) {
  if (driveLetter < 0 || driveLetter >= 26) return nullptr;
  const auto toc = ReadToc(driveLetter);
  if (!toc) return nullptr;
  const auto span = TrackSectors(*toc, track);
  if (!span) return nullptr;
  auto drive = OpenDrive(driveLetter);
  if (!drive) return nullptr;
  return std::make_unique<CdTrackSource>(std::move(drive), *span);
}

}  // namespace sono::cd
