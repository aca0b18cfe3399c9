#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/platform/FileReplace.h"

namespace sv::platform {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closing can report a delayed write error, so the writer checks it.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

}  // namespace

CreateResult WriteNewFile(const std::filesystem::path& path, std::string_view bytes, std::string& error) {
  Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    if (errno == EEXIST) return CreateResult::AlreadyExists;
    error = std::strerror(errno);
    return CreateResult::Failed;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  ok = ok && ::fsync(fd.get()) == 0;
  if (!ok) error = std::strerror(errno);
  if (!fd.Close() && ok) {
    ok = false;
    error = std::strerror(errno);
  }
  if (!ok) {
    ::unlink(path.c_str());
    return CreateResult::Failed;
  }
  return CreateResult::Written;
}

bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    error = std::strerror(errno);
    return false;
  }
  // Make the new directory entry durable too; failing here loses nothing.
  std::filesystem::path folder = to.parent_path();
  if (folder.empty()) folder = ".";
  Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return true;
}

}  // namespace sv::platform
