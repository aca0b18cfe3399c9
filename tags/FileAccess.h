#pragma once
// The file-system interface every tag reader and writer goes through, so one
// code path serves the program, the unit tests (with injected faults) and the
// fuzzers (in memory).
//
// Paths are UTF-8. Offsets and sizes are 64-bit. No call throws: failures are
// reported as false / nullptr, or as a TagStatus.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "tags/Status.h"

namespace sv::tags {

// An open file handle. Positional reads and writes: there is no shared file
// pointer to get out of step.
class RandomAccessFile {
 public:
  virtual ~RandomAccessFile() = default;
  RandomAccessFile() = default;
  RandomAccessFile(const RandomAccessFile&) = delete;
  RandomAccessFile& operator=(const RandomAccessFile&) = delete;

  virtual bool Size(std::uint64_t& size) = 0;
  // Reads up to `count` bytes at `offset`. `got` < `count` only at the end of
  // the file (reading at or past the end gives 0 and true). False on an I/O
  // error.
  virtual bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) = 0;
  // Writes all `count` bytes at `offset`, growing the file when needed.
  virtual bool WriteAt(std::uint64_t offset, const void* data, std::size_t count) = 0;
  // Sets the size (shrinks or zero-extends).
  virtual bool Truncate(std::uint64_t size) = 0;
  // Pushes written data to the device.
  virtual bool Flush() = 0;
  // Closes the handle and reports whether that worked; destroying an open
  // handle closes it silently. Every other call fails after Close.
  virtual bool Close() = 0;
};

// How a reader shares the file with other openers.
enum class ReadSharing {
  DenyWrite,  // others may read, nobody may write while we read (tag readers)
  DenyNone,   // others may do anything (the frame-header scan)
};

// File attributes use the Windows bit values; POSIX builds report
// kAttributeNormal and ignore changes.
constexpr std::uint32_t kAttributeReadOnly = 0x01;
constexpr std::uint32_t kAttributeHidden = 0x02;
constexpr std::uint32_t kAttributeSystem = 0x04;
constexpr std::uint32_t kAttributeArchive = 0x20;
constexpr std::uint32_t kAttributeNormal = 0x80;

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual std::unique_ptr<RandomAccessFile> OpenRead(const std::string& path,
                                                     ReadSharing sharing = ReadSharing::DenyWrite) = 0;
  // An existing file, read-write; others may read but not write.
  virtual std::unique_ptr<RandomAccessFile> OpenReadWrite(const std::string& path) = 0;
  // A new, empty file, read-write. Fails when anything of that name exists:
  // an existing file is never truncated.
  virtual std::unique_ptr<RandomAccessFile> CreateNew(const std::string& path) = 0;
  virtual bool Exists(const std::string& path) = 0;
  virtual bool Remove(const std::string& path) = 0;
  // Renames `source` over `target` in one step; `target` is never removed
  // first, so on failure it is still intact. Fails while `target` is open.
  virtual bool Replace(const std::string& source, const std::string& target) = 0;
  virtual bool GetAttributes(const std::string& path, std::uint32_t& attributes) = 0;
  virtual bool SetAttributes(const std::string& path, std::uint32_t attributes) = 0;
};

// The platform's real file system (wide file names on Windows).
FileSystem& NativeFileSystem();

// A file open for reading, and its size when it was opened.
struct SizedFile {
  std::unique_ptr<RandomAccessFile> file;
  std::uint64_t size = 0;
};

// Opens `path` for reading, writers shut out, and learns its size: Ok,
// OpenFailed or IoError.
TagStatus OpenSized(FileSystem& fs, const std::string& path, SizedFile& opened);

// Reads exactly `count` bytes at `offset`; false on an error or a short read.
bool ReadExact(RandomAccessFile& file, std::uint64_t offset, void* buffer, std::size_t count);

// Reads up to `count` bytes at `offset` into `out` (resized to what was
// read). The caller bounds `count`: this allocates it.
bool ReadUpTo(RandomAccessFile& file, std::uint64_t offset, std::size_t count, std::string& out);

// Copies `count` bytes from `source` at `from` to `target` at `to` through a
// fixed buffer. False on an error or when `source` ends early.
bool CopyRange(RandomAccessFile& source, std::uint64_t from, std::uint64_t count,
               RandomAccessFile& target, std::uint64_t to);

// Whole-file helpers for tests and tools; false on any failure.
bool ReadWholeFile(FileSystem& fs, const std::string& path, std::string& bytes);
bool WriteNewFile(FileSystem& fs, const std::string& path, const std::string& bytes);

}  // namespace sv::tags
