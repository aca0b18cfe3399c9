#include "tags/SafeRewrite.h"

#include <memory>

namespace sv::tags {
namespace {

constexpr int kTemporaryNames = 10;

// Clears the read-only bit for the duration of a write and puts the
// original attributes back when it ends, on success and failure alike.
class AttributeGuard {
 public:
  AttributeGuard(FileSystem& fs, const std::string& path) : fs_(fs), path_(path) {}
  ~AttributeGuard() { Restore(); }
  AttributeGuard(const AttributeGuard&) = delete;
  AttributeGuard& operator=(const AttributeGuard&) = delete;

  // False when the file is missing or cannot be made writable.
  bool MakeWritable() {
    if (!fs_.GetAttributes(path_, original_)) return false;
    if (!(original_ & kAttributeReadOnly)) return true;
    std::uint32_t writable = original_ & ~kAttributeReadOnly;
    if (writable == 0) writable = kAttributeNormal;
    if (!fs_.SetAttributes(path_, writable)) return false;
    changed_ = true;
    return true;
  }

  // After a replace the file carries the temporary file's attributes.
  void RestoreAfterReplace() { changed_ = original_ != kAttributeNormal && original_ != kAttributeArchive; }

 private:
  // One retry: a failure to put read-only back must not go unnoticed by a
  // single transient error.
  void Restore() {
    if (changed_ && !fs_.SetAttributes(path_, original_)) fs_.SetAttributes(path_, original_);
    changed_ = false;
  }

  FileSystem& fs_;
  const std::string& path_;
  std::uint32_t original_ = kAttributeNormal;
  bool changed_ = false;
};

std::unique_ptr<RandomAccessFile> CreateTemporary(FileSystem& fs, const std::string& path,
                                                  std::string& name) {
  for (int k = 0; k < kTemporaryNames; ++k) {
    name = path + "~" + (k == 0 ? std::string() : std::to_string(k));
    if (auto file = fs.CreateNew(name)) return file;
  }
  return nullptr;
}

void Discard(FileSystem& fs, RandomAccessFile& file, const std::string& name) {
  file.Close();
  // One retry: a removal that fails once must not leave our file behind.
  if (!fs.Remove(name)) fs.Remove(name);
}

}  // namespace

TagStatus RebuildFile(FileSystem& fs, const std::string& path, const RebuildProducer& produce) {
  SizedFile source;
  if (const TagStatus opened = OpenSized(fs, path, source); opened != TagStatus::Ok) return opened;

  std::string tempName;
  auto temp = CreateTemporary(fs, path, tempName);
  if (!temp) return TagStatus::IoError;

  const TagStatus produced = produce(*source.file, source.size, *temp);
  if (produced != TagStatus::Ok) {
    Discard(fs, *temp, tempName);
    return produced;
  }
  if (!temp->Flush() || !temp->Close()) {
    Discard(fs, *temp, tempName);
    return TagStatus::IoError;
  }
  // Our own handle would block the replace on Windows.
  source.file->Close();

  AttributeGuard attributes(fs, path);
  if (!attributes.MakeWritable() || !fs.Replace(tempName, path)) {
    Discard(fs, *temp, tempName);
    return TagStatus::IoError;
  }
  attributes.RestoreAfterReplace();
  return TagStatus::Ok;
}

TagStatus RewriteInPlace(FileSystem& fs, const std::string& path, const InPlacePlanner& plan) {
  AttributeGuard attributes(fs, path);
  if (!attributes.MakeWritable()) return TagStatus::OpenFailed;
  auto file = fs.OpenReadWrite(path);
  if (!file) return TagStatus::OpenFailed;

  std::uint64_t size = 0;
  if (!file->Size(size)) return TagStatus::IoError;
  InPlaceEdit edit;
  if (const TagStatus planned = plan(*file, size, edit); planned != TagStatus::Ok) return planned;
  if (edit.offset > size || edit.length > size - edit.offset ||
      (edit.bytes.size() != edit.length && edit.offset + edit.length != size))
    return TagStatus::Malformed;
  if (edit.length > SIZE_MAX) return TagStatus::Malformed;

  std::string old;
  if (!ReadUpTo(*file, edit.offset, static_cast<std::size_t>(edit.length), old) ||
      old.size() != edit.length)
    return TagStatus::IoError;

  const std::uint64_t newSize = size - edit.length + edit.bytes.size();
  const bool written = file->WriteAt(edit.offset, edit.bytes.data(), edit.bytes.size()) &&
                       (newSize >= size || file->Truncate(newSize)) && file->Flush();
  if (!written) {
    file->WriteAt(edit.offset, old.data(), old.size());
    file->Truncate(size);
    file->Flush();
    return TagStatus::IoError;
  }
  // The data is on the device; a failing close cannot take it back.
  file->Close();
  return TagStatus::Ok;
}

}  // namespace sv::tags
