#include "forms/DialogFont.h"

#include "forms/GdiObject.h"

namespace forms {

HFONT DialogFont() {
  static const FontHandle font([] {
    LOGFONTW description{};
    description.lfHeight = -11;
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(description.lfFaceName, L"Tahoma", LF_FACESIZE);
    return CreateFontIndirectW(&description);
  }());
  return font.Get();
}

void UseDialogFont(HWND control) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE); }

}  // namespace forms
