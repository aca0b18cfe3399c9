#pragma once
// Text values of the system registry read and written with the plain
// registry calls, to check and put back what the program under test writes.
#include <windows.h>

#include <optional>
#include <string>

namespace svtest {

// A text value, an expandable one as stored (nullptr names the key's default
// value); nothing when it is missing or not text.
std::optional<std::wstring> RegRead(HKEY root, const wchar_t* key, const wchar_t* name);

// The value's type (REG_SZ, REG_EXPAND_SZ, ...); REG_NONE when it is missing.
DWORD RegType(HKEY root, const wchar_t* key, const wchar_t* name);

// Creates the key when needed; a key that cannot be created fails the test.
void RegWrite(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value, DWORD type = REG_SZ);

}  // namespace svtest
