#include "player/platform/FolderListing.h"

#include <windows.h>

#include "forms/Wide.h"

namespace player {

namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (valid()) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::vector<FolderEntry> ListFolder(const std::string& folder, const std::string& pattern) {
  std::vector<FolderEntry> entries;
  if (folder.empty()) return entries;
  std::wstring search = forms::widen(folder);
  if (search.back() != L'\\' && search.back() != L'/') search += L'\\';
  search += forms::widen(pattern);

  WIN32_FIND_DATAW found{};
  const FindHandle handle(FindFirstFileW(search.c_str(), &found));
  if (!handle.valid()) return entries;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    entries.push_back({forms::narrow(name), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                       (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0});
  } while (FindNextFileW(handle.get(), &found));
  return entries;
}

std::vector<std::string> ListJpegNames(const std::string& folder) {
  std::vector<std::string> names;
  for (FolderEntry& entry : ListFolder(folder, "*.jpg"))
    if (!entry.IsFolder) names.push_back(std::move(entry.Name));
  return names;
}

}  // namespace player
