#include <windows.h>

#include <algorithm>
#include <limits>
#include <system_error>

#include "base/platform/FileReplace.h"

namespace sv::platform {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HANDLE get() const { return h_; }
  bool Close() {
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

std::string LastErrorText() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category()).message();
}

}  // namespace

CreateResult WriteNewFile(const std::filesystem::path& path, std::string_view bytes, std::string& error) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS) return CreateResult::AlreadyExists;
    error = LastErrorText();
    return CreateResult::Failed;
  }
  bool ok = true;
  for (std::size_t done = 0; ok && done < bytes.size();) {
    const auto chunk = static_cast<DWORD>(
        std::min<std::size_t>(bytes.size() - done, std::numeric_limits<DWORD>::max() / 2));
    DWORD written = 0;
    ok = WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) && written > 0;
    done += written;
  }
  ok = ok && FlushFileBuffers(file.get());
  if (!ok) error = LastErrorText();
  if (!file.Close() && ok) {
    ok = false;
    error = LastErrorText();
  }
  if (!ok) {
    DeleteFileW(path.c_str());
    return CreateResult::Failed;
  }
  return CreateResult::Written;
}

bool MoveReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = LastErrorText();
    return false;
  }
  return true;
}

}  // namespace sv::platform
