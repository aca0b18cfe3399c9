#pragma once
// The two ways a tag writer may change a file. Both leave the file either
// exactly as it was or completely rewritten, restore the file's attributes
// whatever happens, and never throw.
#include <cstdint>
#include <functional>
#include <string>

#include "tags/FileAccess.h"
#include "tags/Status.h"

namespace sv::tags {

// Writes the complete new file into `target` (from offset 0), reading what
// it needs from `source`, whose size is `sourceSize`. Anything but Ok
// abandons the rebuild and is returned to the caller.
using RebuildProducer =
    std::function<TagStatus(RandomAccessFile& source, std::uint64_t sourceSize, RandomAccessFile& target)>;

// Whole-file rebuild through a temporary file beside the original:
// "<path>~" is created exclusively (an existing one belongs to someone else
// and is left alone: "<path>~1" … "<path>~9" are tried next), written by
// `produce`, flushed and closed, then renamed over `path` in one step. The
// original is never deleted first; on any failure the temporary file is
// removed and `path` is untouched. A read-only file is made writable for the
// replace and read-only again afterwards.
//
// OpenFailed: `path` cannot be opened. IoError: a step failed (or every
// temporary name is taken). Otherwise what `produce` returned.
TagStatus RebuildFile(FileSystem& fs, const std::string& path, const RebuildProducer& produce);

// One change made inside the file: `length` old bytes at `offset` become
// `bytes`. Either the sizes are equal (a patch anywhere), or the old bytes
// run to the end of the file (a new tail, of any size).
struct InPlaceEdit {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::string bytes;
};

// Decides the edit from the file, opened read-write and `size` bytes long.
// Anything but Ok abandons the rewrite untouched and is returned.
using InPlacePlanner = std::function<TagStatus(RandomAccessFile& file, std::uint64_t size, InPlaceEdit& edit)>;

// Rewrite inside the file, opened once: the old bytes are kept in memory
// (the planner keeps them small: a tag, never the audio), the new bytes are
// written, the size set, and the file flushed. When a step fails the old
// bytes and size are put back. A read-only file is made writable for the
// edit and read-only again afterwards.
//
// OpenFailed: `path` cannot be opened read-write. Malformed: the planner
// asked for an edit outside the rules above. IoError: a step failed.
TagStatus RewriteInPlace(FileSystem& fs, const std::string& path, const InPlacePlanner& plan);

}  // namespace sv::tags
