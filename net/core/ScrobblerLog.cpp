#include "net/core/ScrobblerLog.h"

#include <vector>

#include "base/TextFile.h"
#include "base/Utf.h"

namespace sv::net {

namespace {

// A log grown far past its bound by hand is not worth loading; it is then
// started afresh.
constexpr std::uintmax_t kMaxReadBytes = 1024 * 1024;

// Lines end at CR, LF or CR LF; a final break adds no empty line.
void AppendLines(std::string_view text, std::vector<std::string_view>& lines) {
  while (!text.empty()) {
    const size_t end = text.find_first_of("\r\n");
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    const size_t next = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
    text.remove_prefix(next);
  }
}

}  // namespace

ScrobblerLog::ScrobblerLog(std::string path, size_t maxLines, size_t maxBytes)
    : path_(std::move(path)), maxLines_(maxLines), maxBytes_(maxBytes) {}

std::string ScrobblerLog::SafeText(std::string_view message) {
  std::string text = sv::Utf16ToUtf8(sv::Utf8ToUtf16(sv::Utf8Prefix(message, kMaxMessageBytes)));
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\r' && c != '\n') || u == 0x7F) c = '?';
  }
  return text;
}

std::string ScrobblerLog::Prepend(std::string_view oldText, std::string_view entry, size_t maxLines,
                                  size_t maxBytes) {
  std::vector<std::string_view> lines;
  AppendLines(entry, lines);
  AppendLines(oldText, lines);
  std::string text;
  for (size_t i = 0; i < lines.size() && i < maxLines; ++i) {
    if (text.size() + lines[i].size() + 2 > maxBytes) break;
    text += lines[i];
    text += "\r\n";
  }
  return text;
}

bool ScrobblerLog::Write(const CalendarTime& local, std::string_view message) noexcept {
  try {
    std::string old;
    try {
      old = sv::DecodeText(sv::ReadFileBytes(path_, kMaxReadBytes));
    } catch (const sv::FileReadError&) {
      // Missing, unreadable or oversized: start a new log.
    }
    const std::string entry = FormatLogTime(local) + " - " + SafeText(message);
    sv::WriteFileAtomic(path_, Prepend(old, entry, maxLines_, maxBytes_));
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace sv::net
