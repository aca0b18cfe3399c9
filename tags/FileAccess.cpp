#include "tags/FileAccess.h"

#include <algorithm>
#include <vector>

namespace sv::tags {

TagStatus OpenSized(FileSystem& fs, const std::string& path, SizedFile& opened) {
  opened.file = fs.OpenRead(path, ReadSharing::DenyWrite);
  if (!opened.file) return TagStatus::OpenFailed;
  return opened.file->Size(opened.size) ? TagStatus::Ok : TagStatus::IoError;
}

bool ReadExact(RandomAccessFile& file, std::uint64_t offset, void* buffer, std::size_t count) {
  std::size_t got = 0;
  return file.ReadAt(offset, buffer, count, got) && got == count;
}

bool ReadUpTo(RandomAccessFile& file, std::uint64_t offset, std::size_t count, std::string& out) {
  out.resize(count);
  std::size_t got = 0;
  if (!file.ReadAt(offset, out.data(), count, got)) {
    out.clear();
    return false;
  }
  out.resize(got);
  return true;
}

bool CopyRange(RandomAccessFile& source, std::uint64_t from, std::uint64_t count,
               RandomAccessFile& target, std::uint64_t to) {
  constexpr std::size_t kChunk = 1 << 16;
  std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(count, kChunk)));
  while (count > 0) {
    const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(count, kChunk));
    if (!ReadExact(source, from, buffer.data(), n) || !target.WriteAt(to, buffer.data(), n))
      return false;
    from += n;
    to += n;
    count -= n;
  }
  return true;
}

bool ReadWholeFile(FileSystem& fs, const std::string& path, std::string& bytes) {
  auto file = fs.OpenRead(path);
  std::uint64_t size = 0;
  if (!file || !file->Size(size) || size > SIZE_MAX) return false;
  return ReadUpTo(*file, 0, static_cast<std::size_t>(size), bytes) && bytes.size() == size;
}

bool WriteNewFile(FileSystem& fs, const std::string& path, const std::string& bytes) {
  auto file = fs.CreateNew(path);
  return file && file->WriteAt(0, bytes.data(), bytes.size()) && file->Flush() && file->Close();
}

}  // namespace sv::tags
