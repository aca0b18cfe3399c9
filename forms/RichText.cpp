#include "forms/RichText.h"

#include <richedit.h>

#include "forms/DialogFont.h"
#include "forms/Wide.h"

namespace forms {

namespace {
// The control's library stays loaded for the program's life.
void LoadRichEditLibrary() {
  static const HMODULE library = LoadLibraryW(L"riched20.dll");
  (void)library;
}
}  // namespace

RichText::RichText(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  LoadRichEditLibrary();
  CreateSystemHandle(RICHEDIT_CLASSW,
                     WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                         ES_AUTOVSCROLL,
                     WS_EX_CLIENTEDGE, parent, bounds);
  UseDialogFont(Handle());
}

void RichText::SetLines(const std::vector<std::string>& lines, bool bold) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) text += (i ? "\r\n" : "") + lines[i];
  SetCaption(text);
  CHARFORMAT2W format{};
  format.cbSize = sizeof format;
  format.dwMask = CFM_BOLD;
  format.dwEffects = bold ? CFE_BOLD : 0;
  SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
  SendMessageW(Handle(), WM_VSCROLL, SB_TOP, 0);
}

void RichText::DescribeState(StateList& state) const { state.emplace_back("Text", Text()); }

}  // namespace forms
