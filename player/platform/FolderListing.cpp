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

std::vector<std::string> ListJpegNames(const std::string& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  std::wstring pattern = forms::widen(folder);
  if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
  pattern += L"*.jpg";

  WIN32_FIND_DATAW found{};
  const FindHandle search(FindFirstFileW(pattern.c_str(), &found));
  if (!search.valid()) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.push_back(forms::narrow(found.cFileName));
  } while (FindNextFileW(search.get(), &found));
  return names;
}

}  // namespace player
