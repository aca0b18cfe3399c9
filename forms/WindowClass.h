#pragma once
// Window classes for hidden windows that are given their procedure once
// created.
#include <windows.h>

namespace forms {

// Registers `className` with DefWindowProcW as its procedure. Registering a
// class again leaves the first registration in place.
void RegisterPlainWindowClass(const wchar_t* className);

}  // namespace forms
