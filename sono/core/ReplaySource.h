#pragma once
// Looking at the first bytes of a source that cannot seek: they are read into
// memory, and a replay source gives them back before reading on.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "sono/core/ByteSource.h"

namespace sono {

// Gives back the bytes already looked at, then reads on from the source.
class ReplaySource final : public ByteSource {
 public:
  ReplaySource(std::vector<uint8_t> head, std::unique_ptr<ByteSource> rest)
      : head_(std::move(head)), rest_(std::move(rest)) {}

  size_t Read(void* buffer, size_t size) override {
    if (at_ < head_.size()) {
      const size_t count = std::min(size, head_.size() - at_);
      std::memcpy(buffer, head_.data() + at_, count);
      at_ += count;
      return count;
    }
    const size_t got = rest_->Read(buffer, size);
    at_ += got;
    return got;
  }
  bool CanSeek() const override { return false; }
  bool Seek(int64_t) override { return false; }
  int64_t Tell() const override { return static_cast<int64_t>(at_); }
  int64_t Size() const override { return -1; }
  bool Failed() const override { return rest_->Failed(); }
  std::string ExtensionHint() const override { return rest_->ExtensionHint(); }

 private:
  std::vector<uint8_t> head_;
  size_t at_ = 0;
  std::unique_ptr<ByteSource> rest_;
};

// Reads on until head holds size bytes or the source ends; false at its end.
inline bool Fill(ByteSource& source, std::vector<uint8_t>& head, size_t size) {
  size_t filled = head.size();
  head.resize(size);
  while (filled < size) {
    const size_t got = source.Read(head.data() + filled, size - filled);
    if (got == 0) break;
    filled += got;
  }
  head.resize(filled);
  return filled == size;
}

}  // namespace sono
