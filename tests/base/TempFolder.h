#pragma once
// A fresh folder under the system temporary folder, removed with everything
// in it at the end of the test.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

#include "base/TextFile.h"

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = std::filesystem::temp_directory_path() /
            ("sv-base-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  // UTF-8 path of a name inside the folder, with the platform's separator.
  std::string operator/(const std::string& name) const { return sv::PathToUtf8(path_ / sv::PathFromUtf8(name)); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Raw bytes of a file, bypassing the text layer.
inline std::string RawBytes(const std::string& utf8Path) { return sv::ReadFileBytes(utf8Path, 1u << 30); }
