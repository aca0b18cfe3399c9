#pragma once
// Text conversions. Our own code keeps text as UTF-8 in std::string; other
// encodings appear only at file-format and system boundaries.
#include <string>
#include <string_view>

namespace sv {

// UTF-8 <-> UTF-16. Invalid input sequences become U+FFFD; never throws.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// UTF-16 from raw bytes in a given byte order (odd trailing byte ignored).
std::string Utf16LEBytesToUtf8(std::string_view bytes);
std::string Utf16BEBytesToUtf8(std::string_view bytes);

// Single-byte code pages. Windows-1252 is the ANSI code page of the files the
// original programs wrote; ISO-8859-1 is what ID3v2 encoding 0 means.
std::string Cp1252ToUtf8(std::string_view bytes);
std::string Latin1ToUtf8(std::string_view bytes);
// Encodes to the code page; characters outside it become '?' and clear
// *lossless when given.
std::string Utf8ToCp1252(std::string_view utf8, bool* lossless = nullptr);
std::string Utf8ToLatin1(std::string_view utf8, bool* lossless = nullptr);

bool IsValidUtf8(std::string_view bytes);

// Cuts to at most maxBytes without splitting a UTF-8 sequence.
std::string_view Utf8Prefix(std::string_view utf8, std::size_t maxBytes);

}  // namespace sv
