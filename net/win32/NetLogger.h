#pragma once
// Trace lines of the network components, written to an event, the debugger
// output and a file as the logger's options select. The player never makes
// one; the components test CheckLogOptions before building any text.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "base/Exception.h"
#include "forms/Component.h"

namespace sv::net {

enum class TLogOption {
  loDestEvent, loDestFile, loDestOutDebug, loAddStamp,
  loWsockErr, loWsockInfo, loWsockDump,
  loSslErr, loSslInfo, loSslDump,
  loProtSpecErr, loProtSpecInfo, loProtSpecDump,
};

class TLogOptions {
 public:
  constexpr TLogOptions() = default;
  constexpr TLogOptions(std::initializer_list<TLogOption> options) {
    for (TLogOption option : options) Include(option);
  }
  constexpr bool Contains(TLogOption option) const { return (bits_ & Bit(option)) != 0; }
  constexpr void Include(TLogOption option) { bits_ = static_cast<std::uint16_t>(bits_ | Bit(option)); }
  constexpr void Exclude(TLogOption option) { bits_ = static_cast<std::uint16_t>(bits_ & ~Bit(option)); }
  constexpr bool operator==(const TLogOptions&) const = default;

 private:
  static constexpr std::uint16_t Bit(TLogOption option) {
    return static_cast<std::uint16_t>(1u << static_cast<unsigned>(option));
  }
  std::uint16_t bits_ = 0;
};

enum class TLogFileOption { lfoAppend, lfoOverwrite };

class ELoggerException : public sv::Exception {
 public:
  using sv::Exception::Exception;
};

class TNetLogger : public forms::TComponent {
 public:
  using TNetLogEvent = std::function<void(forms::TComponent* sender, TLogOption option, const std::string& msg)>;

  // A trace line never grows the file past this size; later lines are
  // dropped from the file (the other destinations still get them).
  static constexpr std::int64_t kMaxFileSize = 64ll << 20;
  // Longer lines are cut: a hostile peer's dump must not fill the disk.
  static constexpr std::size_t kMaxLineLength = 16 * 1024;

  explicit TNetLogger(forms::TComponent* owner);
  ~TNetLogger() override;

  TLogOptions LogOptions() const;
  void SetLogOptions(TLogOptions options);
  std::string LogFileName() const;
  void SetLogFileName(std::string name);
  TLogFileOption LogFileOption() const;
  void SetLogFileOption(TLogFileOption option);
  void SetOnNetLogEvent(TNetLogEvent handler);

  // Writes one line to the selected destinations. File errors raise
  // ELoggerException; the components' own wrappers swallow them.
  void DoDebugLog(forms::TComponent* sender, TLogOption option, std::string_view msg);

  // The time of day as hh:nn:ss:zzz.
  static std::string TimeStamp();

 private:
  void OpenLogFile();
  void CloseLogFile();
  void WriteToLogFile(std::string_view text);

  // Shared with a line being written, so that an event handler that frees
  // the logger leaves a lock to release and a flag telling it is gone.
  std::shared_ptr<std::recursive_mutex> lock_ = std::make_shared<std::recursive_mutex>();
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  TLogOptions options_;
  std::string fileName_;
  TLogFileOption fileOption_ = TLogFileOption::lfoAppend;
  TNetLogEvent onNetLogEvent_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::int64_t fileSize_ = 0;
  bool destroying_ = false;
};

}  // namespace sv::net
