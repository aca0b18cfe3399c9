#pragma once
// Every window of our windowed components carries its component's Name in a
// window property, so that a driver in another process finds "Edit6" without
// knowing our objects. The property holds a global atom of the name (atoms
// ignore case, as component names do).
#include <windows.h>

#include <string>
#include <string_view>

namespace forms {

inline constexpr wchar_t kNamePropertyName[] = L"SorivanelName";

// Sets (or, for an empty name, removes) the property, releasing the atom it
// held before.
void SetNameProperty(HWND window, std::string_view name);
void RemoveNameProperty(HWND window);
// "" when the window has no such property. Works across processes.
std::string ReadNameProperty(HWND window);

}  // namespace forms
