#pragma once
// "ANSI" text: the code page that programs on Windows wrote into ID3v1
// records, Lyrics3 blocks, APEv1 tags, APEv2 values that are not UTF-8, and
// the bytes 0x80-0x9F of ID3v2 encoding 0. On Windows it is the system's
// ANSI code page, with nothing for the program to set up; elsewhere it is
// Windows-1252. Tests install the code page they need.
#include <string>
#include <string_view>

#include "base/AnsiCodec.h"

namespace sv::tags {

// The codec lives with the text files, which read the same code page.
using sv::AnsiCodec;
using sv::AnsiToUtf8;
using sv::Cp1252Codec;
using sv::SetAnsiCodec;
using sv::SystemAnsiCodec;
using sv::Utf8ToAnsi;
#ifdef _WIN32
using sv::WindowsCodePageCodec;
#endif
// The longest run of whole characters of `utf8` whose ANSI bytes fit
// `maxBytes` (a double-byte character is never cut in half).
std::string Utf8ToAnsiFitting(std::string_view utf8, std::size_t maxBytes);

// ID3v2 encoding 0: ISO-8859-1, except that the bytes 0x80-0x9F, C1
// controls there and never text, are read through the ANSI code page, as
// Windows programs wrote them (0x92 is a right quotation mark in
// Windows-1252). A byte the code page does not map alone stays as it is.
std::string Id3Latin1ToUtf8(std::string_view bytes);

}  // namespace sv::tags
