#pragma once
// The system's common dialogs and message boxes, modal to a window.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "forms/Colours.h"

namespace forms {

struct FileDialogOptions {
  std::string Filter;         // "skin file|skin.ini", pairs separated by "|"
  std::string InitialFolder;  // empty: the system's choice
  std::string FileName;       // proposed name
};
// The chosen file's full path, or nothing when cancelled.
std::optional<std::string> ChooseFileToOpen(HWND owner, const FileDialogOptions& options);
std::optional<std::string> ChooseFileToSave(HWND owner, const FileDialogOptions& options);

// The full colour dialog starting at a colour; nothing when cancelled.
std::optional<ColourValue> ChooseColour(HWND owner, ColourValue start);

// A message box titled with the application's title; returns the button
// pressed (IDYES, IDNO, IDOK).
int ShowMessage(HWND owner, const std::string& text, UINT flags);
inline bool Confirm(HWND owner, const std::string& text) {
  return ShowMessage(owner, text, MB_YESNO | MB_ICONQUESTION) == IDYES;
}
inline void ShowError(HWND owner, const std::string& text) { ShowMessage(owner, text, MB_OK | MB_ICONSTOP); }

}  // namespace forms
