#include "forms/Dialogs.h"

#include <commdlg.h>

#include <vector>

#include "forms/Application.h"
#include "forms/Wide.h"

namespace forms {

namespace {

// "a|b|c|d" as the dialog wants it: pieces ended by NUL, then one more.
std::wstring FilterText(const std::string& filter) {
  std::wstring text = widen(filter);
  for (wchar_t& c : text)
    if (c == L'|') c = L'\0';
  text.push_back(L'\0');
  text.push_back(L'\0');
  return text;
}

std::optional<std::string> RunFileDialog(HWND owner, const FileDialogOptions& options, bool save) {
  const std::wstring filter = FilterText(options.Filter);
  const std::wstring folder = widen(options.InitialFolder);
  std::vector<wchar_t> name(32768, L'\0');
  const std::wstring proposed = widen(options.FileName);
  if (proposed.size() < name.size()) std::copy(proposed.begin(), proposed.end(), name.begin());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = static_cast<DWORD>(name.size());
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | (save ? 0 : OFN_FILEMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;
  return narrow(name.data());
}

}  // namespace

std::optional<std::string> ChooseFileToOpen(HWND owner, const FileDialogOptions& options) {
  return RunFileDialog(owner, options, false);
}

std::optional<std::string> ChooseFileToSave(HWND owner, const FileDialogOptions& options) {
  return RunFileDialog(owner, options, true);
}

std::optional<ColourValue> ChooseColour(HWND owner, ColourValue start) {
  static COLORREF custom[16] = {};
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.rgbResult = ToColorRef(start);
  dialog.lpCustColors = custom;
  dialog.Flags = CC_FULLOPEN | CC_RGBINIT;
  if (!ChooseColorW(&dialog)) return std::nullopt;
  return static_cast<ColourValue>(dialog.rgbResult & 0xFFFFFF);
}

int ShowMessage(HWND owner, const std::string& text, UINT flags) {
  const std::string title = Application ? Application->Title() : std::string();
  return MessageBoxW(owner, widen(text).c_str(), widen(title).c_str(), flags);
}

}  // namespace forms
