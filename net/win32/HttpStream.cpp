#include "net/win32/HttpStream.h"

#include <algorithm>
#include <cstring>

namespace sv::net {

void StringByteStream::Seek(std::int64_t position) {
  position_ = static_cast<std::size_t>(std::clamp<std::int64_t>(position, 0, Size()));
}

std::size_t StringByteStream::Read(void* buffer, std::size_t len) {
  const std::size_t count = std::min(len, data_.size() - position_);
  if (count > 0) std::memcpy(buffer, data_.data() + position_, count);
  position_ += count;
  return count;
}

void StringByteStream::Write(const void* data, std::size_t len) {
  if (len == 0) return;
  const char* bytes = static_cast<const char*>(data);
  if (position_ == data_.size()) {
    data_.append(bytes, len);
  } else {
    const std::size_t overlap = std::min(len, data_.size() - position_);
    data_.replace(position_, overlap, bytes, overlap);
    data_.append(bytes + overlap, len - overlap);
  }
  position_ += len;
}

void StringByteStream::Truncate(std::int64_t size) {
  if (size < 0 || size >= Size()) return;
  data_.resize(static_cast<std::size_t>(size));
  position_ = std::min(position_, data_.size());
}

}  // namespace sv::net
