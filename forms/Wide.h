#pragma once
// The one place where our UTF-8 text meets the wide (W) Win32 calls.
#include <string>
#include <string_view>

namespace forms {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace forms
