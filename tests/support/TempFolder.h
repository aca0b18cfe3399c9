#pragma once
// Files for end-to-end tests: a temporary folder per test (a program under
// test runs there with its files beside it), the build's own outputs, and
// reading back what a program wrote.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace svtest {

// Paths from UTF-8 text; std::filesystem would read narrow text as ANSI.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// The build folder (SV_TEST_BIN, set by CTest), as a Windows path.
std::filesystem::path BuildRoot();
// A file the build made, relative to the build folder (for example
// "tests/support/sv_probe.exe"); throws when it does not exist.
std::filesystem::path BuiltFile(std::string_view relative);

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

class TempFolder {
 public:
  TempFolder();
  // Removes the folder and everything in it, as far as it can.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / PathFromUtf8(name); }

  // Copies a file in, under its own name or `newName`; returns the copy.
  std::filesystem::path CopyIn(const std::filesystem::path& source, std::string_view newName = {});
  void Write(std::string_view name, std::string_view bytes) const { WriteFileBytes(*this / name, bytes); }
  std::optional<std::string> Read(std::string_view name) const { return ReadFileBytes(*this / name); }
  bool Exists(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace svtest
