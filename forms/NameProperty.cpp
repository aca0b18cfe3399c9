#include "forms/NameProperty.h"

#include "forms/Wide.h"

namespace forms {

void RemoveNameProperty(HWND window) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(window, kNamePropertyName)));
  if (atom) GlobalDeleteAtom(atom);
}

void SetNameProperty(HWND window, std::string_view name) {
  if (!window) return;
  RemoveNameProperty(window);
  if (name.empty()) return;
  ATOM atom = GlobalAddAtomW(widen(name).c_str());
  if (!atom) return;  // over 255 characters: such a name is not findable
  if (!SetPropW(window, kNamePropertyName, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom))))
    GlobalDeleteAtom(atom);
}

std::string ReadNameProperty(HWND window) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(window, kNamePropertyName)));
  if (!atom) return {};
  wchar_t buffer[256];
  UINT length = GlobalGetAtomNameW(atom, buffer, 256);
  return narrow(std::wstring_view(buffer, length));
}

}  // namespace forms
