#pragma once
// The submission log "sori-scrobbler.log": dated lines, newest first,
// bounded in lines and bytes. Writing is best-effort: the log serves the
// user's curiosity, so a failure to read or write it never reaches the
// caller (and so never playback).
#include <cstddef>
#include <string>
#include <string_view>

#include "net/core/ScrobblerClock.h"

namespace sv::net {

inline constexpr char kScrobblerLogName[] = "sori-scrobbler.log";

class ScrobblerLog {
 public:
  static constexpr size_t kMaxLines = 100;
  static constexpr size_t kMaxBytes = 32 * 1024;
  // A message longer than this (a hostile reply) is cut before it is logged.
  static constexpr size_t kMaxMessageBytes = 2048;

  // UTF-8 path of the file.
  explicit ScrobblerLog(std::string path, size_t maxLines = kMaxLines, size_t maxBytes = kMaxBytes);

  // Prepends "dd-mm-yyyy hh:nn:ss - " + message. A message holding line
  // breaks becomes several lines, in its own order. False when the file
  // could not be written; the previous file then stays as it was.
  bool Write(const CalendarTime& local, std::string_view message) noexcept;

  const std::string& Path() const { return path_; }

  // The file text after prepending the lines of entry to oldText: lines end
  // with CR LF, at most maxLines physical lines and maxBytes bytes, always
  // keeping the newest lines.
  static std::string Prepend(std::string_view oldText, std::string_view entry, size_t maxLines, size_t maxBytes);

  // A message as it may enter the file: cut to kMaxMessageBytes, invalid
  // UTF-8 replaced, control bytes other than line breaks shown as "?".
  static std::string SafeText(std::string_view message);

 private:
  std::string path_;
  size_t maxLines_;
  size_t maxBytes_;
};

}  // namespace sv::net
