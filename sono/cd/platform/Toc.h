#pragma once
// The CD drives of this machine, the table of contents of the disc in one,
// and its audio tracks as byte sources.
#include <memory>
#include <optional>
#include <vector>

#include "sono/cd/DiscId.h"
#include "sono/core/ByteSource.h"

namespace sono::cd {

// Drive letters offset from 'A' (0 = A:) of every CD drive, in letter order.
std::vector<int> CdDriveLetters();

// The audio table of contents of the disc in the drive with that letter
// offset; nullopt with no disc, no drive or an implausible table.
std::optional<TableOfContents> ReadToc(int driveLetter);

// Track n (from 1) of the disc in that drive as 44.1 kHz 16-bit stereo PCM
// bytes, seekable; null with no disc or no such track.
std::unique_ptr<ByteSource> OpenCdTrack(int driveLetter, int track);

}  // namespace sono::cd
