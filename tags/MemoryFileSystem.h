#pragma once
// A file system held in memory, for fuzzers and tests. It keeps the Windows
// rules the tag writers must live with, so native tests catch what would
// fail on Windows: a read-only file cannot be opened for writing, replaced
// or removed; a file open with write denied cannot be replaced, removed or
// opened for writing by anyone else.
#include <map>
#include <memory>
#include <string>

#include "tags/FileAccess.h"

namespace sv::tags {

class MemoryFileSystem : public FileSystem {
 public:
  struct Entry {
    std::string bytes;
    std::uint32_t attributes = kAttributeArchive;
    int denyWriteHandles = 0;  // readers denying write, and writers
    int writers = 0;
  };

  // Direct access for setting up and checking tests; not a file operation.
  void Put(const std::string& path, std::string bytes);
  // The bytes of `path`, or nullptr when there is no such file.
  const std::string* Get(const std::string& path) const;
  std::size_t FileCount() const { return files_.size(); }

  std::unique_ptr<RandomAccessFile> OpenRead(const std::string& path, ReadSharing sharing) override;
  std::unique_ptr<RandomAccessFile> OpenReadWrite(const std::string& path) override;
  std::unique_ptr<RandomAccessFile> CreateNew(const std::string& path) override;
  bool Exists(const std::string& path) override;
  bool Remove(const std::string& path) override;
  bool Replace(const std::string& source, const std::string& target) override;
  bool GetAttributes(const std::string& path, std::uint32_t& attributes) override;
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override;

 private:
  bool Removable(const std::string& path) const;
  std::map<std::string, std::shared_ptr<Entry>> files_;
};

}  // namespace sv::tags
