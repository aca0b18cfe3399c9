#pragma once
// CPU time of another process under Wine. Wine reports no times for other
// processes (GetProcessTimes gives zero), so they are read from the host's
// process table, reached through the drive that maps the host's root.
#include <optional>
#include <string>

namespace bench {

class HostProcessCpu {
 public:
  // Finds the host process whose command line holds `needle` (compared
  // without case); Found() is false when there is none.
  explicit HostProcessCpu(const std::string& needle);

  bool Found() const { return !statPath_.empty(); }
  // User and system time so far, in seconds.
  std::optional<double> Seconds() const;

 private:
  std::wstring statPath_;
};

}  // namespace bench
