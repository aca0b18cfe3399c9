#include "player/app/FolderFiles.h"

#include <windows.h>

#include <algorithm>

#include "base/Paths.h"
#include "forms/Wide.h"
#include "player/Extensions.h"

namespace player {

namespace {

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

template <class Visit>
void ListFolder(const std::string& folder, Visit&& visit) {
  WIN32_FIND_DATAW found;
  FindHandle search(FindFirstFileW(forms::widen(folder + "*.*").c_str(), &found));
  if (search.Get() == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    visit(forms::narrow(name), found.dwFileAttributes);
  } while (FindNextFileW(search.Get(), &found));
}

}  // namespace

void SortPathsIgnoringCase(std::vector<std::string>& paths) {
  std::vector<std::pair<std::wstring, std::string>> keyed;
  keyed.reserve(paths.size());
  for (std::string& path : paths) keyed.emplace_back(forms::widen(path), std::move(path));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.first.c_str(), -1, b.first.c_str(), -1) ==
           CSTR_LESS_THAN;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) paths[i] = std::move(keyed[i].second);
}

std::vector<std::string> GatherFolderFiles(const std::string& folder, bool recurse,
                                           const std::vector<std::string>& supported) {
  std::vector<std::string> folders{sv::IncludeTrailingBackslash(folder)};
  if (recurse) {
    // Linked folders are not followed: a link to a parent would never end.
    for (std::size_t i = 0; i < folders.size(); ++i) {
      const std::string parent = folders[i];
      ListFolder(parent, [&](const std::string& name, DWORD attributes) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
          folders.push_back(parent + name + "\\");
      });
    }
  }
  SortPathsIgnoringCase(folders);
  std::vector<std::string> result;
  for (const std::string& each : folders) {
    std::vector<std::string> files;
    ListFolder(each, [&](const std::string& name, DWORD attributes) {
      if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && IsSupportedFile(name, supported)) files.push_back(each + name);
    });
    SortPathsIgnoringCase(files);
    result.insert(result.end(), files.begin(), files.end());
  }
  return result;
}

}  // namespace player
