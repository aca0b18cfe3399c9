#pragma once
// "ANSI" text: the code page that programs on Windows wrote into ID3v1
// records, Lyrics3 blocks, APEv1 tags, APEv2 values that are not UTF-8, and
// the bytes 0x80-0x9F of ID3v2 encoding 0. On Windows it is the system's
// ANSI code page, with nothing for the program to set up; elsewhere it is
// Windows-1252. Tests install the code page they need.
#include <functional>
#include <string>
#include <string_view>

namespace sv::tags {

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

// Installs the codec every tag class uses from now on (conversions already
// under way finish with the old one); a codec with an empty member
// restores the system's.
void SetAnsiCodec(AnsiCodec codec);

std::string AnsiToUtf8(std::string_view bytes);
std::string Utf8ToAnsi(std::string_view utf8, bool* lossless = nullptr);
// The longest run of whole characters of `utf8` whose ANSI bytes fit
// `maxBytes` (a double-byte character is never cut in half).
std::string Utf8ToAnsiFitting(std::string_view utf8, std::size_t maxBytes);

// ID3v2 encoding 0: ISO-8859-1, except that the bytes 0x80-0x9F, C1
// controls there and never text, are read through the ANSI code page, as
// Windows programs wrote them (0x92 is a right quotation mark in
// Windows-1252). A byte the code page does not map alone stays as it is.
std::string Id3Latin1ToUtf8(std::string_view bytes);

}  // namespace sv::tags
