#pragma once
// The streams the HTTP client reads a request body from and appends a
// response body to. The caller owns them; the client only keeps a pointer
// for the length of one call.
#include <cstdint>
#include <string>

namespace sv::net {

class ByteStream {
 public:
  virtual ~ByteStream() = default;
  virtual std::int64_t Size() const = 0;
  virtual std::int64_t Position() const = 0;
  // Clamped to 0..Size().
  virtual void Seek(std::int64_t position) = 0;
  // Reads up to len bytes at the position; returns how many.
  virtual std::size_t Read(void* buffer, std::size_t len) = 0;
  // Writes at the position, growing the stream as needed.
  virtual void Write(const void* data, std::size_t len) = 0;
  // Cuts the stream to size (no effect when it is shorter).
  virtual void Truncate(std::int64_t size) = 0;
};

// A stream held in memory as a std::string.
class StringByteStream : public ByteStream {
 public:
  StringByteStream() = default;
  explicit StringByteStream(std::string data) : data_(std::move(data)) {}

  std::int64_t Size() const override { return static_cast<std::int64_t>(data_.size()); }
  std::int64_t Position() const override { return static_cast<std::int64_t>(position_); }
  void Seek(std::int64_t position) override;
  std::size_t Read(void* buffer, std::size_t len) override;
  void Write(const void* data, std::size_t len) override;
  void Truncate(std::int64_t size) override;

  const std::string& Data() const { return data_; }
  // Reserves room for a body whose size is known in advance.
  void Reserve(std::size_t size) { data_.reserve(size); }

 private:
  std::string data_;
  std::size_t position_ = 0;
};

}  // namespace sv::net
