#include "player/platform/SystemRegistry.h"

#include <windows.h>
#include <shlobj.h>

#include "forms/Wide.h"

namespace player {

namespace {

// A value longer than this is no command or name of ours: read as missing.
constexpr DWORD kMaxValueBytes = 64 * 1024;

class KeyHandle {
 public:
  KeyHandle() = default;
  ~KeyHandle() {
    if (key_) RegCloseKey(key_);
  }
  KeyHandle(const KeyHandle&) = delete;
  KeyHandle& operator=(const KeyHandle&) = delete;
  HKEY* Receive() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
  }
  return nullptr;
}

}  // namespace

std::optional<RegistryText> SystemRegistry::ReadText(RegistryRoot root, std::string_view key,
                                                     std::string_view name) const {
  KeyHandle handle;
  if (RegOpenKeyExW(RootKey(root), forms::widen(key).c_str(), 0, KEY_QUERY_VALUE, handle.Receive()) != ERROR_SUCCESS)
    return std::nullopt;
  const std::wstring valueName = forms::widen(name);
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || bytes > kMaxValueBytes)
    return std::nullopt;
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(handle.Get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                       &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::nullopt;
  // The stored text may or may not end with its terminator.
  text.resize(size / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return RegistryText{forms::narrow(text), type == REG_EXPAND_SZ};
}

bool SystemRegistry::WriteText(RegistryRoot root, std::string_view key, std::string_view name,
                               const RegistryText& value) {
  KeyHandle handle;
  if (RegCreateKeyExW(RootKey(root), forms::widen(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      handle.Receive(), nullptr) != ERROR_SUCCESS)
    return false;
  const std::wstring text = forms::widen(value.Text);
  const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(handle.Get(), forms::widen(name).c_str(), 0, value.Expandable ? REG_EXPAND_SZ : REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()), bytes) == ERROR_SUCCESS;
}

bool SystemRegistry::DeleteValue(RegistryRoot root, std::string_view key, std::string_view name) {
  KeyHandle handle;
  const LONG opened = RegOpenKeyExW(RootKey(root), forms::widen(key).c_str(), 0, KEY_SET_VALUE, handle.Receive());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  const LONG deleted = RegDeleteValueW(handle.Get(), forms::widen(name).c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

bool SystemRegistry::DeleteKey(RegistryRoot root, std::string_view key) {
  const LONG deleted = RegDeleteTreeW(RootKey(root), forms::widen(key).c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND;
}

bool SystemRegistry::DeleteEmptyKey(RegistryRoot root, std::string_view key) {
  const std::wstring path = forms::widen(key);
  {
    KeyHandle handle;
    const LONG opened = RegOpenKeyExW(RootKey(root), path.c_str(), 0, KEY_QUERY_VALUE, handle.Receive());
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    DWORD keys = 0;
    DWORD values = 0;
    if (opened != ERROR_SUCCESS ||
        RegQueryInfoKeyW(handle.Get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        keys != 0 || values != 0)
      return false;
  }
  // The system refuses to delete a key that still has keys below it.
  return RegDeleteKeyW(RootKey(root), path.c_str()) == ERROR_SUCCESS;
}

bool SystemRegistry::SameText(std::string_view a, std::string_view b) const {
  const std::wstring wa = forms::widen(a);
  const std::wstring wb = forms::widen(b);
  return CompareStringOrdinal(wa.c_str(), static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size()),
                              TRUE) == CSTR_EQUAL;
}

void SystemRegistry::AssociationsChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

}  // namespace player
