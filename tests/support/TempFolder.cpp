#include "tests/support/TempFolder.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "forms/Wide.h"

namespace svtest {

std::filesystem::path PathFromUtf8(std::string_view utf8) { return std::filesystem::path(forms::widen(utf8)); }

std::string PathToUtf8(const std::filesystem::path& path) { return forms::narrow(path.wstring()); }

std::filesystem::path BuildRoot() {
  const wchar_t* value = _wgetenv(L"SV_TEST_BIN");
  if (!value || !*value) throw std::runtime_error("SV_TEST_BIN is not set; run the tests through CTest");
  std::wstring root = value;
  // CTest passes the Unix path of the build; Wine shows the Unix root as Z:.
  if (root[0] == L'/') {
    for (wchar_t& c : root) {
      if (c == L'/') c = L'\\';
    }
    root = L"Z:" + root;
  }
  return std::filesystem::path(root);
}

std::filesystem::path BuiltFile(std::string_view relative) {
  std::filesystem::path file = BuildRoot() / PathFromUtf8(relative);
  if (!std::filesystem::exists(file)) throw std::runtime_error("The build has no " + PathToUtf8(file));
  return file;
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("Cannot write " + PathToUtf8(path));
}

TempFolder::TempFolder() {
  static std::atomic<unsigned> counter{0};
  std::wstring name = L"sv-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) +
                      L"-" + std::to_wstring(counter++);
  path_ = std::filesystem::temp_directory_path() / name;
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::CopyIn(const std::filesystem::path& source, std::string_view newName) {
  std::filesystem::path target = newName.empty() ? path_ / source.filename() : *this / newName;
  std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
  return target;
}

bool TempFolder::Exists(std::string_view name) const { return std::filesystem::exists(*this / name); }

}  // namespace svtest
