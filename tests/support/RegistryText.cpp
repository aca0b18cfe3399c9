#include "tests/support/RegistryText.h"

#include <gtest/gtest.h>

namespace svtest {

std::optional<std::wstring> RegRead(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD size = sizeof buffer;
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(buffer);
}

DWORD RegType(HKEY root, const wchar_t* key, const wchar_t* name) {
  DWORD type = REG_NONE;
  if (RegGetValueW(root, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr) != ERROR_SUCCESS)
    return REG_NONE;
  return type;
}

void RegWrite(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& value, DWORD type) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr), ERROR_SUCCESS);
  RegSetValueExW(handle, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
}

}  // namespace svtest
