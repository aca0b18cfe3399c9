#include "base/TextFile.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>

#include "base/AnsiCodec.h"
#include "base/Ascii.h"
#include "base/Utf.h"
#include "base/platform/FileReplace.h"

namespace sv {
namespace {

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

// Line by line, so that one line in the ANSI code page spoils no other.
std::string Utf8OrAnsiLines(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t start = 0;;) {
    const std::size_t end = std::min(bytes.find_first_of("\r\n", start), bytes.size());
    const std::string_view line = bytes.substr(start, end - start);
    if (IsValidUtf8(line))
      text += line;
    else
      text += AnsiToUtf8(line);
    if (end == bytes.size()) return text;
    text += bytes[end];
    start = end + 1;
  }
}

std::string Hex(uint64_t v) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  do {
    s.insert(s.begin(), digits[v & 15]);
    v >>= 4;
  } while (v);
  return s;
}

// A name no other writer picks: a process-wide counter plus the clock and an
// address (different per process under address randomisation). Creation is
// exclusive anyway; this only keeps retries rare.
std::string TemporaryName() {
  static std::atomic<uint64_t> counter{0};
  static const uint64_t salt =
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      reinterpret_cast<uintptr_t>(&counter);
  return "~sv" + Hex(salt) + "-" + Hex(counter++) + ".tmp";
}

}  // namespace

std::string DecodeText(std::string_view bytes, TextEncoding* found) {
  TextEncoding encoding;
  std::string text;
  if (StartsWith(bytes, kUtf8Bom)) {
    encoding = TextEncoding::Utf8Bom;
    text = Utf8OrAnsiLines(bytes.substr(kUtf8Bom.size()));
  } else if (StartsWith(bytes, "\xFF\xFE")) {
    encoding = TextEncoding::Utf16LE;
    text = Utf16LEBytesToUtf8(bytes.substr(2));
  } else if (StartsWith(bytes, "\xFE\xFF")) {
    encoding = TextEncoding::Utf16BE;
    text = Utf16BEBytesToUtf8(bytes.substr(2));
  } else if (IsValidUtf8(bytes)) {
    encoding = TextEncoding::Utf8;
    text = std::string(bytes);
  } else {
    encoding = TextEncoding::Ansi;
    text = AnsiToUtf8(bytes);
  }
  if (found) *found = encoding;
  return text;
}

std::string Utf8FileBytes(std::string_view text, bool keepBom) {
  if (!keepBom && IsAscii(text)) return std::string(text);
  return std::string(kUtf8Bom) + std::string(text);
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
#ifdef _WIN32
  const std::u16string wide = Utf8ToUtf16(utf8);
  return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
  return std::filesystem::path(std::string(utf8));
#endif
}

std::string PathToUtf8(const std::filesystem::path& path) {
#ifdef _WIN32
  const std::wstring& wide = path.native();
  return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(wide.data()), wide.size()));
#else
  return path.native();
#endif
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(PathFromUtf8(path), ec);
}

std::string ReadFileBytes(const std::string& path, std::uintmax_t maxBytes) {
  const std::filesystem::path p = PathFromUtf8(path);
  std::error_code ec;
  const auto status = std::filesystem::status(p, ec);
  if (!std::filesystem::exists(status)) throw FileReadError("Cannot open file \"" + path + "\". File not found");
  if (std::filesystem::is_directory(status)) throw FileReadError("Cannot open file \"" + path + "\". It is a folder");
  std::ifstream in(p, std::ios::binary);
  if (!in) throw FileReadError("Cannot open file \"" + path + "\"");
  // The size is only a hint: the file may grow while it is read, so the cap
  // is enforced on what actually arrives.
  const auto size = std::filesystem::file_size(p, ec);
  if (!ec && size > maxBytes) throw FileReadError("File \"" + path + "\" is too large");
  std::string bytes;
  if (!ec) bytes.reserve(static_cast<std::size_t>(size));
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    const auto n = static_cast<std::size_t>(in.gcount());
    if (bytes.size() + n > maxBytes) throw FileReadError("File \"" + path + "\" is too large");
    bytes.append(buffer, n);
  }
  if (in.bad()) throw FileReadError("Error reading file \"" + path + "\"");
  return bytes;
}

std::string ReadTextFile(const std::string& path) { return DecodeText(ReadFileBytes(path)); }

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
  const std::filesystem::path target = PathFromUtf8(path);
  std::filesystem::path folder = target.parent_path();
  std::string error;
  auto fail = [&](const std::string& why) {
    throw FileWriteError("Unable to write to " + path + (why.empty() ? "" : ": " + why));
  };
  if (target.filename().empty()) fail("no file name");
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path temp = folder / TemporaryName();
    switch (platform::WriteNewFile(temp, bytes, error)) {
      case platform::CreateResult::AlreadyExists:
        continue;
      case platform::CreateResult::Failed:
        fail(error);
        break;
      case platform::CreateResult::Written:
        if (!platform::MoveReplacing(temp, target, error)) {
          std::error_code ignored;
          std::filesystem::remove(temp, ignored);
          fail(error);
        }
        return;
    }
  }
  fail("no free temporary name");
}

}  // namespace sv
