#include "base/Paths.h"

#include "base/Ascii.h"

namespace sv {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::size_t AfterLastDelimiter(std::string_view path) {
  const std::size_t i = path.find_last_of("\\/:");
  return i == std::string_view::npos ? 0 : i + 1;
}

std::string WithBackslashes(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c == '/') c = '\\';
  return out;
}

}  // namespace

std::vector<std::string_view> SplitFolders(std::string_view s) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i == s.size() || IsSeparator(s[i])) {
      if (i > start) parts.push_back(s.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, AfterLastDelimiter(path))); }

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(AfterLastDelimiter(path))); }

std::string ExtractFileExt(std::string_view path) {
  const std::string_view name = path.substr(AfterLastDelimiter(path));
  const std::size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string ExtractFileDrive(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2));
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // "\\server\share": up to the separator after the share name.
    std::size_t i = 2;
    int separators = 0;
    while (i < path.size()) {
      if (IsSeparator(path[i]) && ++separators == 2) break;
      ++i;
    }
    return std::string(path.substr(0, i));
  }
  return {};
}

std::string IncludeTrailingBackslash(std::string_view path) {
  std::string out(path);
  if (out.empty() || out.back() != '\\') out += '\\';
  return out;
}

std::string ExtractRelativePath(std::string_view baseName, std::string_view path) {
  const std::string baseFolder = ExtractFilePath(baseName);
  const std::string destFolder = ExtractFilePath(path);
  const std::string baseDrive = ExtractFileDrive(baseFolder);
  const std::string destDrive = ExtractFileDrive(destFolder);
  if (baseDrive.empty() || destDrive.empty() || !SameTextAscii(baseDrive, destDrive)) return std::string(path);
  const auto base = SplitFolders(std::string_view(baseFolder).substr(baseDrive.size()));
  const auto dest = SplitFolders(std::string_view(destFolder).substr(destDrive.size()));
  std::size_t same = 0;
  while (same < base.size() && same < dest.size() && SameTextAscii(base[same], dest[same])) ++same;
  std::string out;
  for (std::size_t i = same; i < base.size(); ++i) out += "..\\";
  for (std::size_t i = same; i < dest.size(); ++i) {
    out += dest[i];
    out += '\\';
  }
  return out + ExtractFileName(path);
}

std::string ExpandFileName(std::string_view path, std::string_view baseFolder) {
  std::string drive = ExtractFileDrive(path);
  std::string rest;
  const bool uncPath = drive.size() > 2;
  if (!drive.empty() && (uncPath || (path.size() > 2 && IsSeparator(path[2])))) {
    rest = path.substr(drive.size());  // fully qualified
  } else if (drive.empty() && !path.empty() && IsSeparator(path[0])) {
    drive = ExtractFileDrive(baseFolder);  // root of the base folder's drive
    rest = path;
  } else if (!drive.empty() && !SameTextAscii(drive, ExtractFileDrive(baseFolder))) {
    rest = "\\" + std::string(path.substr(2));  // "D:x" with no folder known on D:
  } else {
    const std::string_view relative = drive.empty() ? path : path.substr(2);
    drive = ExtractFileDrive(baseFolder);
    rest = std::string(baseFolder.substr(drive.size())) + "\\" + std::string(relative);
  }
  std::vector<std::string_view> kept;
  for (const std::string_view part : SplitFolders(rest)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(part);
  }
  std::string out = WithBackslashes(drive);
  for (const auto part : kept) {
    out += '\\';
    out += part;
  }
  // A trailing separator names a folder and stays; a root always has one.
  if (kept.empty() || IsSeparator(rest.back())) out += '\\';
  return out;
}

}  // namespace sv
