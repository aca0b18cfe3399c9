#pragma once
// The one layer through which every text file is read and written. Reading
// accepts UTF-8 (with or without BOM), UTF-16 with BOM, and otherwise takes
// the bytes in the system's ANSI code page (base/AnsiCodec.h), in which
// older versions and other programs wrote them. Behind a UTF-8 BOM each line
// is decoded alone: a line that is not UTF-8 is in the ANSI code page (one
// added by hand in an ANSI editor), the others stay UTF-8. Writing produces
// UTF-8, behind a BOM once the text holds anything beyond ASCII, through a
// temporary file in the same folder and an atomic replace, so the old file
// survives any failure. Paths are UTF-8.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/Exception.h"

namespace sv {

class FileReadError : public Exception {
 public:
  using Exception::Exception;
};

class FileWriteError : public Exception {
 public:
  using Exception::Exception;
};

// Larger files are refused rather than loaded: no text file of ours comes
// near this, and a runaway file must not exhaust memory.
inline constexpr std::uintmax_t kMaxTextFileBytes = 64u * 1024 * 1024;

enum class TextEncoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Ansi };

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Bytes to UTF-8 text by the rules above; invalid sequences in UTF-16
// become U+FFFD.
std::string DecodeText(std::string_view bytes, TextEncoding* found = nullptr);

// UTF-8 text as the bytes of its file: behind the BOM when the text holds
// anything beyond ASCII, or when keepBom (the file had one); plain ASCII
// text stays as it is. Text is taken as decoded (its file's mark taken off):
// one that begins with U+FEFF keeps it behind the file's mark.
std::string Utf8FileBytes(std::string_view text, bool keepBom = false);

// UTF-8 text <-> file-system path, on Windows through UTF-16 so that names
// outside the ANSI code page open. Invalid UTF-8 never throws.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& path);

bool FileExists(const std::string& path);  // a file, not a folder

// The whole file; FileReadError when it is missing, not a file, unreadable
// or larger than maxBytes.
std::string ReadFileBytes(const std::string& path, std::uintmax_t maxBytes = kMaxTextFileBytes);
std::string ReadTextFile(const std::string& path);

// Replaces (or creates) the file with exactly these bytes, or raises
// FileWriteError and leaves any previous file as it was.
void WriteFileAtomic(const std::string& path, std::string_view bytes);
// Text is UTF-8 already; the file gets the bytes of Utf8FileBytes.
inline void WriteTextFile(const std::string& path, std::string_view text) {
  WriteFileAtomic(path, Utf8FileBytes(text));
}

}  // namespace sv
