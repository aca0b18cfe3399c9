#include "player/platform/DiskFolders.h"

#include <windows.h>

#include "forms/Wide.h"
#include "player/platform/FolderListing.h"

namespace player {

namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::vector<WalkEntry> DiskFolders::List(const std::string& folder) {
  std::vector<WalkEntry> entries;
  for (FolderEntry& entry : ListFolder(folder, "*.*")) entries.push_back({std::move(entry.Name), entry.IsFolder, entry.IsLink});
  return entries;
}

std::optional<std::string> DiskFolders::Identity(const std::string& folder) {
  // Opened for no access at all: only its attributes are read, and a folder
  // that another program holds still answers. A link is followed to the
  // folder it names.
  const FileHandle handle(CreateFileW(forms::widen(folder).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.valid()) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
  if (info.nFileIndexHigh == 0 && info.nFileIndexLow == 0) return std::nullopt;
  return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) + ":" +
         std::to_string(info.nFileIndexLow);
}

}  // namespace player
