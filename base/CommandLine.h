#pragma once
// Command-line splitting by the simple rule our programs have always used:
// blanks (any character up to ' ') separate arguments, double quotes toggle
// quoting and are dropped, backslashes are ordinary characters, so "D:\" is
// D:\ (the C runtime's argv would read an escaped quote there). The Win32
// caller passes narrow(GetCommandLineW()).
#include <string>
#include <string_view>
#include <vector>

namespace sv {

// Every argument, the program first. An argument made only of "" pairs
// before any other character is skipped, as the old parser did.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

class CommandLine {
 public:
  explicit CommandLine(std::string_view commandLine) : args_(SplitCommandLine(commandLine)) {}
  int ParamCount() const { return args_.empty() ? 0 : static_cast<int>(args_.size()) - 1; }
  // 0 is the program; out of range gives "".
  std::string ParamStr(int index) const;

 private:
  std::vector<std::string> args_;
};

}  // namespace sv
