#pragma once
// "ANSI" text: the code page that programs on Windows wrote into text files
// (lists, settings, language files) and tags when they did not write
// Unicode. On Windows it is the system's ANSI code page, with nothing for
// the program to set up; elsewhere it is Windows-1252. Tests install the
// code page they need: every reader of such text goes through this codec.
#include <functional>
#include <string>
#include <string_view>

namespace sv {

struct AnsiCodec {
  // Bytes in the code page to UTF-8; never fails (undecodable bytes become
  // a replacement character).
  std::function<std::string(std::string_view bytes)> toUtf8;
  // UTF-8 to the code page; characters outside it become '?' and clear
  // *lossless when given.
  std::function<std::string(std::string_view utf8, bool* lossless)> fromUtf8;
};

// Windows-1252, whatever the system.
AnsiCodec Cp1252Codec();
// The system's ANSI code page on Windows, Windows-1252 elsewhere.
AnsiCodec SystemAnsiCodec();
#ifdef _WIN32
// A Windows code page by number (1251, 932, ...).
AnsiCodec WindowsCodePageCodec(unsigned codePage);
#endif

// Installs the codec every reader uses from now on (conversions already
// under way finish with the old one); a codec with an empty member
// restores the system's.
void SetAnsiCodec(AnsiCodec codec);
// The codec installed now.
AnsiCodec CurrentAnsiCodec();

std::string AnsiToUtf8(std::string_view bytes);
std::string Utf8ToAnsi(std::string_view utf8, bool* lossless = nullptr);

}  // namespace sv
