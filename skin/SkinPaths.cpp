#include "skin/SkinPaths.h"

#include "base/Paths.h"

namespace sv::skin {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsAbsolute(std::string_view value) {
  if (value.size() >= 2 && IsSeparator(value[0]) && IsSeparator(value[1])) return true;
  const bool letter = value.size() >= 3 && ((value[0] | 0x20) >= 'a' && (value[0] | 0x20) <= 'z');
  return letter && value[1] == ':' && IsSeparator(value[2]);
}

}  // namespace

std::string ResolveSkinPath(std::string_view folder, std::string_view value) {
  if (IsAbsolute(value)) return std::string(value);
  return IncludeTrailingBackslash(folder) + std::string(value);
}

std::string RelativeSkinPath(std::string_view folder, std::string_view file) {
  return ExtractRelativePath(IncludeTrailingBackslash(folder), file);
}

}  // namespace sv::skin
