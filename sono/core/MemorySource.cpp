// Bytes held in memory as a byte source.
#include <algorithm>
#include <cstring>

#include "sono/core/ByteSource.h"

namespace sono {
namespace {

class MemorySource final : public ByteSource {
 public:
  MemorySource(std::vector<uint8_t> bytes, bool seekable, std::string extension)
      : bytes_(std::move(bytes)), seekable_(seekable), extension_(std::move(extension)) {}

  size_t Read(void* buffer, size_t size) override {
    const size_t left = bytes_.size() - position_;
    const size_t count = std::min(size, left);
    if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return count;
  }

  bool CanSeek() const override { return seekable_; }

  bool Seek(int64_t offset) override {
    if (!seekable_ || offset < 0 || static_cast<uint64_t>(offset) > bytes_.size()) return false;
    position_ = static_cast<size_t>(offset);
    return true;
  }

  int64_t Tell() const override { return static_cast<int64_t>(position_); }
  int64_t Size() const override { return seekable_ ? static_cast<int64_t>(bytes_.size()) : -1; }
  std::string ExtensionHint() const override { return extension_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
  bool seekable_;
  std::string extension_;
};

}  // namespace

std::unique_ptr<ByteSource> OpenMemorySource(std::vector<uint8_t> bytes, bool seekable,
                                             std::string extensionHint) {
  return std::make_unique<MemorySource>(std::move(bytes), seekable, std::move(extensionHint));
}

}  // namespace sono
