// The ANSI code pages of Windows, through the system's own conversion
// tables (double-byte code pages included).
#include <windows.h>

#include <string>

#include "base/Utf.h"
#include "base/AnsiCodec.h"

namespace sv {
namespace {

std::string ToUtf8(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (n <= 0) return Cp1252ToUtf8(bytes);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), n);
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

std::string FromUtf8(UINT codePage, std::string_view utf8, bool* lossless) {
  if (lossless) *lossless = true;
  if (utf8.empty()) return {};
  const std::u16string units = Utf8ToUtf16(utf8);
  const std::wstring wide(units.begin(), units.end());
  const int size = static_cast<int>(wide.size());
  // The system's UTF-8 code page takes no default character.
  BOOL usedDefault = FALSE;
  BOOL* askDefault = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, askDefault);
  if (n <= 0) return Utf8ToCp1252(utf8, lossless);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), n, nullptr, askDefault);
  if (lossless && usedDefault) *lossless = false;
  return bytes;
}

}  // namespace

AnsiCodec WindowsCodePageCodec(unsigned codePage) {
  return AnsiCodec{[codePage](std::string_view bytes) { return ToUtf8(codePage, bytes); },
                   [codePage](std::string_view utf8, bool* lossless) { return FromUtf8(codePage, utf8, lossless); }};
}

AnsiCodec SystemAnsiCodec() { return WindowsCodePageCodec(GetACP()); }

}  // namespace sv
