#include "base/CommandLine.h"

namespace sv {
namespace {

bool IsBlank(char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view s) {
  std::vector<std::string> args;
  std::size_t i = 0;
  for (;;) {
    for (;;) {
      while (i < s.size() && IsBlank(s[i])) ++i;
      if (i + 1 < s.size() && s[i] == '"' && s[i + 1] == '"') i += 2;
      else break;
    }
    if (i >= s.size() || s[i] == '\0') break;
    std::string arg;
    bool quoted = false;
    while (i < s.size() && s[i] != '\0' && (quoted || !IsBlank(s[i]))) {
      if (s[i] == '"') quoted = !quoted;
      else arg += s[i];
      ++i;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::string CommandLine::ParamStr(int index) const {
  if (index < 0 || index >= static_cast<int>(args_.size())) return {};
  return args_[static_cast<std::size_t>(index)];
}

}  // namespace sv
