#include "tags/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>

namespace sv::tags {
namespace {

// Files larger than this are refused, so a fuzzed size cannot make a
// Truncate or WriteAt allocate without bound.
constexpr std::uint64_t kMaxMemoryFile = 256u << 20;

class MemoryFile final : public RandomAccessFile {
 public:
  MemoryFile(std::shared_ptr<MemoryFileSystem::Entry> entry, bool writable, bool deniesWrite)
      : entry_(std::move(entry)), writable_(writable), deniesWrite_(deniesWrite) {
    if (deniesWrite_) ++entry_->denyWriteHandles;
    if (writable_) ++entry_->writers;
  }
  ~MemoryFile() override { Close(); }

  bool Size(std::uint64_t& size) override {
    if (!entry_) return false;
    size = entry_->bytes.size();
    return true;
  }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) override {
    got = 0;
    if (!entry_) return false;
    const std::string& b = entry_->bytes;
    if (offset >= b.size()) return true;
    got = static_cast<std::size_t>(std::min<std::uint64_t>(count, b.size() - offset));
    if (got > 0) std::memcpy(buffer, b.data() + offset, got);
    return true;
  }

  bool WriteAt(std::uint64_t offset, const void* data, std::size_t count) override {
    if (!entry_ || !writable_ || offset > kMaxMemoryFile || count > kMaxMemoryFile - offset)
      return false;
    std::string& b = entry_->bytes;
    const auto end = static_cast<std::size_t>(offset + count);
    if (b.size() < end) b.resize(end, '\0');
    if (count > 0) std::memcpy(b.data() + offset, data, count);
    return true;
  }

  bool Truncate(std::uint64_t size) override {
    if (!entry_ || !writable_ || size > kMaxMemoryFile) return false;
    entry_->bytes.resize(static_cast<std::size_t>(size), '\0');
    return true;
  }

  bool Flush() override { return entry_ != nullptr; }

  bool Close() override {
    if (!entry_) return false;
    if (deniesWrite_) --entry_->denyWriteHandles;
    if (writable_) --entry_->writers;
    entry_.reset();
    return true;
  }

 private:
  std::shared_ptr<MemoryFileSystem::Entry> entry_;
  bool writable_;
  bool deniesWrite_;
};

}  // namespace

void MemoryFileSystem::Put(const std::string& path, std::string bytes) {
  auto entry = std::make_shared<Entry>();
  entry->bytes = std::move(bytes);
  files_[path] = std::move(entry);
}

const std::string* MemoryFileSystem::Get(const std::string& path) const {
  const auto it = files_.find(path);
  return it == files_.end() ? nullptr : &it->second->bytes;
}

std::unique_ptr<RandomAccessFile> MemoryFileSystem::OpenRead(const std::string& path,
                                                             ReadSharing sharing) {
  const auto it = files_.find(path);
  if (it == files_.end()) return nullptr;
  const bool denyWrite = sharing == ReadSharing::DenyWrite;
  if (denyWrite && it->second->writers > 0) return nullptr;
  return std::make_unique<MemoryFile>(it->second, false, denyWrite);
}

std::unique_ptr<RandomAccessFile> MemoryFileSystem::OpenReadWrite(const std::string& path) {
  const auto it = files_.find(path);
  if (it == files_.end()) return nullptr;
  const Entry& e = *it->second;
  if ((e.attributes & kAttributeReadOnly) || e.denyWriteHandles > 0) return nullptr;
  return std::make_unique<MemoryFile>(it->second, true, true);
}

std::unique_ptr<RandomAccessFile> MemoryFileSystem::CreateNew(const std::string& path) {
  if (files_.count(path)) return nullptr;
  auto entry = std::make_shared<Entry>();
  files_[path] = entry;
  return std::make_unique<MemoryFile>(entry, true, true);
}

bool MemoryFileSystem::Exists(const std::string& path) { return files_.count(path) != 0; }

bool MemoryFileSystem::Removable(const std::string& path) const {
  const auto it = files_.find(path);
  return it != files_.end() && !(it->second->attributes & kAttributeReadOnly) &&
         it->second->denyWriteHandles == 0;
}

bool MemoryFileSystem::Remove(const std::string& path) {
  if (!Removable(path)) return false;
  files_.erase(path);
  return true;
}

bool MemoryFileSystem::Replace(const std::string& source, const std::string& target) {
  if (source == target || !Removable(source)) return false;
  if (files_.count(target) && !Removable(target)) return false;
  files_[target] = files_[source];
  files_.erase(source);
  return true;
}

bool MemoryFileSystem::GetAttributes(const std::string& path, std::uint32_t& attributes) {
  const auto it = files_.find(path);
  if (it == files_.end()) return false;
  attributes = it->second->attributes == 0 ? kAttributeNormal : it->second->attributes;
  return true;
}

bool MemoryFileSystem::SetAttributes(const std::string& path, std::uint32_t attributes) {
  const auto it = files_.find(path);
  if (it == files_.end()) return false;
  it->second->attributes = attributes == kAttributeNormal ? 0 : attributes;
  return true;
}

}  // namespace sv::tags
