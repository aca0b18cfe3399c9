#include "net/win32/NetLogger.h"

#include <cstdio>

#include "forms/Wide.h"

namespace sv::net {

TNetLogger::TNetLogger(forms::TComponent* owner) : TComponent(owner) {}

TNetLogger::~TNetLogger() {
  std::shared_ptr<std::recursive_mutex> lock = lock_;
  std::lock_guard guard(*lock);
  destroying_ = true;
  *alive_ = false;
  CloseLogFile();
}

TLogOptions TNetLogger::LogOptions() const {
  std::lock_guard guard(*lock_);
  return options_;
}

void TNetLogger::SetLogOptions(TLogOptions options) {
  std::lock_guard guard(*lock_);
  options_ = options;
}

std::string TNetLogger::LogFileName() const {
  std::lock_guard guard(*lock_);
  return fileName_;
}

void TNetLogger::SetLogFileName(std::string name) {
  std::lock_guard guard(*lock_);
  if (name == fileName_) return;
  fileName_ = std::move(name);
  CloseLogFile();
}

TLogFileOption TNetLogger::LogFileOption() const {
  std::lock_guard guard(*lock_);
  return fileOption_;
}

void TNetLogger::SetLogFileOption(TLogFileOption option) {
  std::lock_guard guard(*lock_);
  fileOption_ = option;
}

void TNetLogger::SetOnNetLogEvent(TNetLogEvent handler) {
  std::lock_guard guard(*lock_);
  onNetLogEvent_ = std::move(handler);
}

std::string TNetLogger::TimeStamp() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%02u:%02u:%02u:%03u", now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
  return text;
}

void TNetLogger::DoDebugLog(forms::TComponent* sender, TLogOption option, std::string_view msg) {
  const std::shared_ptr<std::recursive_mutex> lock = lock_;
  const std::shared_ptr<bool> alive = alive_;
  std::lock_guard guard(*lock);
  if (destroying_) return;
  if (msg.size() > kMaxLineLength) msg = msg.substr(0, kMaxLineLength);
  // Each destination takes its own stamp.
  auto line = [&] { return options_.Contains(TLogOption::loAddStamp) ? TimeStamp() + " " + std::string(msg)
                                                                      : std::string(msg); };
  if (options_.Contains(TLogOption::loDestEvent) && onNetLogEvent_) {
    TNetLogEvent handler = onNetLogEvent_;
    const std::string text = line();
    handler(sender, option, text);
    // The handler may have freed this logger.
    if (!*alive) return;
  }
  if (options_.Contains(TLogOption::loDestOutDebug)) OutputDebugStringW(forms::widen(line()).c_str());
  if (options_.Contains(TLogOption::loDestFile)) WriteToLogFile(line() + "\r\n");
}

void TNetLogger::OpenLogFile() {
  CloseLogFile();
  if (fileName_.empty()) throw ELoggerException("File name empty");
  HANDLE file = CreateFileW(forms::widen(fileName_).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw ELoggerException("Cannot open log file " + fileName_ + " (error " + std::to_string(GetLastError()) + ")");
  LARGE_INTEGER size{};
  if (fileOption_ == TLogFileOption::lfoOverwrite) {
    SetEndOfFile(file);
  } else {
    LARGE_INTEGER zero{};
    SetFilePointerEx(file, zero, &size, FILE_END);
  }
  file_ = file;
  fileSize_ = size.QuadPart;
}

void TNetLogger::CloseLogFile() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  file_ = INVALID_HANDLE_VALUE;
  fileSize_ = 0;
}

void TNetLogger::WriteToLogFile(std::string_view text) {
  if (file_ == INVALID_HANDLE_VALUE) OpenLogFile();
  if (fileSize_ + static_cast<std::int64_t>(text.size()) > kMaxFileSize) return;
  DWORD written = 0;
  if (!WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
    throw ELoggerException("Cannot write log file " + fileName_ + " (error " + std::to_string(GetLastError()) + ")");
  fileSize_ += written;
}

}  // namespace sv::net
