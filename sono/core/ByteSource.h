#pragma once
// Where a decoder's bytes come from: a local file, or a network stream that
// may block until data arrives and cannot seek.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sono {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to size bytes; 0 at the end or on an error (see Failed).
  virtual size_t Read(void* buffer, size_t size) = 0;
  virtual bool CanSeek() const = 0;
  virtual bool Seek(int64_t offset) = 0;  // from the start
  virtual int64_t Tell() const = 0;
  virtual int64_t Size() const = 0;       // -1 when unknown
  virtual bool Failed() const { return false; }
  // File name extension with its dot in lower case (".mp3"), when known.
  virtual std::string ExtensionHint() const { return {}; }
};

// Opens a local file by its UTF-8 path; null when it cannot be opened.
std::unique_ptr<ByteSource> OpenFileSource(const std::string& utf8Path);

// Serves bytes held in memory. A non-seekable one behaves like a network
// stream (no seeking, unknown size), which lets such paths be exercised
// without a network.
std::unique_ptr<ByteSource> OpenMemorySource(std::vector<uint8_t> bytes, bool seekable = true,
                                             std::string extensionHint = {});

}  // namespace sono
