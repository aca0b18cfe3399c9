#include <windows.h>
#include <winioctl.h>
#include <ntddcdrm.h>

#include <memory>
#include <type_traits>

#include "sono/cd/platform/Toc.h"

namespace sono::cd {

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

uint32_t FramesOf(const TRACK_DATA& track) {
  // Address[0] is reserved; the drive answers in minute:second:frame form.
  return FramesFromMsf(track.Address[1], track.Address[2], track.Address[3]);
}

}  // namespace

std::vector<int> CdDriveLetters() {
  std::vector<int> letters;
  const DWORD mask = GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    const wchar_t root[] = {static_cast<wchar_t>(L'A' + i), L':', L'\\', 0};
    if (GetDriveTypeW(root) == DRIVE_CDROM) letters.push_back(i);
  }
  return letters;
}

std::optional<TableOfContents> ReadToc(int driveLetter) {
  if (driveLetter < 0 || driveLetter >= 26) return std::nullopt;
  const wchar_t device[] = {L'\\', L'\\', L'.', L'\\', static_cast<wchar_t>(L'A' + driveLetter), L':', 0};
  HANDLE handle = CreateFileW(device, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  const UniqueHandle drive(handle);
  CDROM_TOC raw{};
  DWORD returned = 0;
  if (!DeviceIoControl(drive.get(), IOCTL_CDROM_READ_TOC, nullptr, 0, &raw, sizeof raw, &returned, nullptr)) {
    return std::nullopt;
  }
  if (raw.FirstTrack == 0 || raw.LastTrack < raw.FirstTrack) return std::nullopt;
  const size_t count = static_cast<size_t>(raw.LastTrack - raw.FirstTrack) + 1;
  // The entry after the last track is the lead-out.
  if (count + 1 > MAXIMUM_NUMBER_TRACKS) return std::nullopt;
  TableOfContents toc;
  for (size_t i = 0; i < count; ++i) toc.trackOffsets.push_back(FramesOf(raw.TrackData[i]));
  toc.leadOut = FramesOf(raw.TrackData[count]);
  if (!IsPlausible(toc)) return std::nullopt;
  return toc;
}

}  // namespace sono::cd
