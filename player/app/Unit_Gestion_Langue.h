#pragma once
// The language module: sets the texts of one window or of every open window
// from the current language file, and reads the numbered messages and other
// texts that routines show themselves. Each call opens the file and drops it.
#include <string>
#include <string_view>
#include <vector>

#include "player/Language.h"

namespace forms {
class TForm;
}

namespace player {

// A window whose texts go beyond captions and hints (radio items, page
// titles, lists, the about text, a refresh) takes those through this.
class LanguageTarget {
 public:
  virtual ~LanguageTarget() = default;
  virtual void ApplyLanguageText(const LanguageText& text) = 0;
};

// Window numbers as LangWindow: 0 every open window, 1 the main window,
// 2 options, 3 tag editor, 4 equalizer, 5 search. A window that is not open
// is left alone; a missing file gives the built-in texts.
void ChargeLangue(int window);

// MESSAGES <number>, or its built-in text.
std::string LangMessage(int number);
// A key of OtherLanguageKeys (the help lines, the licence file name), or its
// built-in text.
std::string LangText(std::string_view section, std::string_view key);

// Captions and hints go to the controls and menu items of that name at any
// depth, the rest to the form when it is a LanguageTarget; a target the form
// does not have is skipped.
void ApplyLanguageTexts(forms::TForm& form, const std::vector<LanguageText>& texts);

}  // namespace player
