// The native file system on Windows: wide file names, the share modes the
// tag readers and writers promise, and real attributes.
#include <windows.h>

#include <algorithm>
#include <string>

#include "base/Utf.h"
#include "tags/FileAccess.h"

namespace sv::tags {
namespace {

std::wstring Wide(const std::string& utf8) {
  const std::u16string u16 = Utf8ToUtf16(utf8);
  return std::wstring(u16.begin(), u16.end());
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED o{};
  o.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  o.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return o;
}

constexpr std::size_t kMaxChunk = 1u << 30;

class Win32File final : public RandomAccessFile {
 public:
  explicit Win32File(HANDLE h) : h_(h) {}
  ~Win32File() override {
    if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
  }

  bool Size(std::uint64_t& size) override {
    LARGE_INTEGER li{};
    if (h_ == INVALID_HANDLE_VALUE || !::GetFileSizeEx(h_, &li)) return false;
    size = static_cast<std::uint64_t>(li.QuadPart);
    return true;
  }

  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count, std::size_t& got) override {
    got = 0;
    if (h_ == INVALID_HANDLE_VALUE) return false;
    auto* p = static_cast<char*>(buffer);
    while (got < count) {
      OVERLAPPED o = At(offset + got);
      DWORD n = 0;
      const auto want = static_cast<DWORD>(std::min(count - got, kMaxChunk));
      if (!::ReadFile(h_, p + got, want, &n, &o)) {
        if (::GetLastError() == ERROR_HANDLE_EOF) break;
        return false;
      }
      if (n == 0) break;
      got += n;
    }
    return true;
  }

  bool WriteAt(std::uint64_t offset, const void* data, std::size_t count) override {
    if (h_ == INVALID_HANDLE_VALUE) return false;
    const auto* p = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < count) {
      OVERLAPPED o = At(offset + done);
      DWORD n = 0;
      const auto want = static_cast<DWORD>(std::min(count - done, kMaxChunk));
      if (!::WriteFile(h_, p + done, want, &n, &o) || n == 0) return false;
      done += n;
    }
    return true;
  }

  bool Truncate(std::uint64_t size) override {
    if (h_ == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER li{};
    li.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFilePointerEx(h_, li, nullptr, FILE_BEGIN) && ::SetEndOfFile(h_);
  }

  bool Flush() override { return h_ != INVALID_HANDLE_VALUE && ::FlushFileBuffers(h_); }

  bool Close() override {
    if (h_ == INVALID_HANDLE_VALUE) return false;
    const HANDLE h = h_;
    h_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

std::unique_ptr<RandomAccessFile> Open(const std::string& path, DWORD access, DWORD share,
                                       DWORD disposition) {
  const HANDLE h = ::CreateFileW(Wide(path).c_str(), access, share, nullptr, disposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (::GetFileType(h) != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<Win32File>(h);
}

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<RandomAccessFile> OpenRead(const std::string& path, ReadSharing sharing) override {
    const DWORD share = sharing == ReadSharing::DenyNone
                            ? FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE
                            : FILE_SHARE_READ;
    return Open(path, GENERIC_READ, share, OPEN_EXISTING);
  }

  std::unique_ptr<RandomAccessFile> OpenReadWrite(const std::string& path) override {
    return Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
  }

  std::unique_ptr<RandomAccessFile> CreateNew(const std::string& path) override {
    return Open(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW);
  }

  bool Exists(const std::string& path) override {
    return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool Remove(const std::string& path) override { return ::DeleteFileW(Wide(path).c_str()) != 0; }

  bool Replace(const std::string& source, const std::string& target) override {
    return ::MoveFileExW(Wide(source).c_str(), Wide(target).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool GetAttributes(const std::string& path, std::uint32_t& attributes) override {
    const DWORD a = ::GetFileAttributesW(Wide(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    attributes = a;
    return true;
  }

  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return ::SetFileAttributesW(Wide(path).c_str(), attributes) != 0;
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

}  // namespace sv::tags
