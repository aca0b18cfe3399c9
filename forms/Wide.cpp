#include "forms/Wide.h"

#include "base/Utf.h"

namespace forms {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16");

std::wstring widen(std::string_view utf8) {
  std::u16string s = sv::Utf8ToUtf16(utf8);
  return std::wstring(s.begin(), s.end());
}

std::string narrow(std::wstring_view utf16) {
  return sv::Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size()));
}

}  // namespace forms
