// The native file system on POSIX builds (tests and fuzzers). Sharing modes
// and attributes have no POSIX equivalent and are not emulated here; the
// in-memory file system checks those rules.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "tags/FileAccess.h"

namespace sv::tags {
namespace {

class PosixFile final : public RandomAccessFile {
 public:
  explicit PosixFile(int fd) : fd_(fd) {}
  ~PosixFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

  bool Size(std::uint64_t& size) override {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return false;
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
  }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) override {
    got = 0;
    if (fd_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    auto* p = static_cast<char*>(buffer);
    while (got < count) {
      const ssize_t n = ::pread(fd_, p + got, count - got, static_cast<off_t>(offset + got));
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool WriteAt(std::uint64_t offset, const void* data, std::size_t count) override {
    if (fd_ < 0 || offset > static_cast<std::uint64_t>(INT64_MAX)) return false;
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < count) {
      const ssize_t n = ::pwrite(fd_, p + done, count - done, static_cast<off_t>(offset + done));
      if (n < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (n == 0) return false;
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool Truncate(std::uint64_t size) override {
    return fd_ >= 0 && size <= static_cast<std::uint64_t>(INT64_MAX) &&
           ::ftruncate(fd_, static_cast<off_t>(size)) == 0;
  }

  bool Flush() override { return fd_ >= 0 && ::fsync(fd_) == 0; }

  bool Close() override {
    if (fd_ < 0) return false;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::unique_ptr<RandomAccessFile> Wrap(int fd) {
  if (fd < 0) return nullptr;
  return std::make_unique<PosixFile>(fd);
}

bool IsRegularFile(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<RandomAccessFile> OpenRead(const std::string& path, ReadSharing) override {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && !IsRegularFile(fd)) {
      ::close(fd);
      return nullptr;
    }
    return Wrap(fd);
  }

  std::unique_ptr<RandomAccessFile> OpenReadWrite(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd >= 0 && !IsRegularFile(fd)) {
      ::close(fd);
      return nullptr;
    }
    return Wrap(fd);
  }

  std::unique_ptr<RandomAccessFile> CreateNew(const std::string& path) override {
    return Wrap(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  }

  bool Exists(const std::string& path) override {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
  }

  bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }

  bool Replace(const std::string& source, const std::string& target) override {
    return std::rename(source.c_str(), target.c_str()) == 0;
  }

  bool GetAttributes(const std::string& path, std::uint32_t& attributes) override {
    if (!Exists(path)) return false;
    attributes = kAttributeNormal;
    return true;
  }

  bool SetAttributes(const std::string& path, std::uint32_t) override { return Exists(path); }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace sv::tags
