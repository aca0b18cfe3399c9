// A local file as a byte source. Paths are UTF-8; on Windows they reach the
// wide file API through std::filesystem, so no name outside the code page is
// lost.
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "sono/core/ByteSource.h"
#include "sono/core/Extension.h"

namespace sono {
namespace {

class FileSource final : public ByteSource {
 public:
  FileSource(std::ifstream file, int64_t size, std::string extension)
      : file_(std::move(file)), size_(size), extension_(std::move(extension)) {}

  size_t Read(void* buffer, size_t size) override {
    if (failed_ || size == 0 || position_ >= size_) return 0;
    const auto wanted = static_cast<std::streamsize>(
        std::min<int64_t>(static_cast<int64_t>(std::min<size_t>(size, 1u << 30)), size_ - position_));
    file_.read(static_cast<char*>(buffer), wanted);
    const auto got = file_.gcount();
    if (got < 0) return 0;
    position_ += got;
    if (!file_) {
      // A short read at the end sets failbit too; only a real error sticks.
      if (file_.bad()) failed_ = true;
      file_.clear();
    }
    return static_cast<size_t>(got);
  }

  bool CanSeek() const override { return true; }

  bool Seek(int64_t offset) override {
    if (failed_ || offset < 0 || offset > size_) return false;
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset), std::ios::beg);
    if (!file_) {
      file_.clear();
      return false;
    }
    position_ = offset;
    return true;
  }

  int64_t Tell() const override { return position_; }
  int64_t Size() const override { return size_; }
  bool Failed() const override { return failed_; }
  std::string ExtensionHint() const override { return extension_; }

 private:
  std::ifstream file_;
  int64_t size_;
  int64_t position_ = 0;
  bool failed_ = false;
  std::string extension_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& utf8Path) {
  if (utf8Path.empty()) return nullptr;
  std::filesystem::path path;
  try {
    path = std::filesystem::path(std::u8string(utf8Path.begin(), utf8Path.end()));
  } catch (const std::exception&) {
    return nullptr;  // not valid UTF-8
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return nullptr;
  std::ifstream file(path, std::ios::binary);
  if (!file) return nullptr;
  file.seekg(0, std::ios::end);
  const auto end = static_cast<int64_t>(file.tellg());
  file.seekg(0, std::ios::beg);
  if (end < 0 || !file) return nullptr;
  return std::make_unique<FileSource>(std::move(file), end, ExtensionOf(utf8Path));
}

}  // namespace sono
