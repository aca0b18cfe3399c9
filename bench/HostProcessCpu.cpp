#include "bench/HostProcessCpu.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cwctype>
#include <sstream>
#include <vector>

namespace bench {
namespace {

// The host's process table as Wine shows it.
constexpr wchar_t kProc[] = L"Z:\\proc\\";
// Linux counts process times in ticks of this rate for every program.
constexpr double kTicksPerSecond = 100;

std::optional<std::string> ReadSmallFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) text.append(buffer, read);
  CloseHandle(file);
  return text;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

}  // namespace

HostProcessCpu::HostProcessCpu(const std::string& needle) {
  const std::string wanted = Lower(needle);
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((std::wstring(kProc) + L"*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = entry.cFileName;
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](wchar_t c) { return std::iswdigit(c) != 0; }))
      continue;
    const auto commandLine = ReadSmallFile(kProc + name + L"\\cmdline");
    if (commandLine && Lower(*commandLine).find(wanted) != std::string::npos) {
      statPath_ = kProc + name + L"\\stat";
      break;
    }
  } while (FindNextFileW(search, &entry));
  FindClose(search);
}

std::optional<double> HostProcessCpu::Seconds() const {
  if (statPath_.empty()) return std::nullopt;
  const auto stat = ReadSmallFile(statPath_);
  if (!stat) return std::nullopt;
  // The name in parentheses may hold blanks; the fields after it are
  // state (3rd) ... user time (14th) and system time (15th).
  const auto close = stat->rfind(')');
  if (close == std::string::npos) return std::nullopt;
  std::istringstream fields(stat->substr(close + 1));
  std::vector<std::string> values;
  for (std::string value; fields >> value && values.size() < 13;) values.push_back(value);
  if (values.size() < 13) return std::nullopt;
  return (std::stod(values[11]) + std::stod(values[12])) / kTicksPerSecond;
}

}  // namespace bench
