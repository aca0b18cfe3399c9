#pragma once
// The language module: sets the texts of one window or of every open window
// from the current language file, and reads the numbered messages and other
// texts that routines show themselves. Each call opens the file and drops it.
#include <string>
#include <string_view>

#include "player/app/Unit_Langue_Apply.h"

namespace player {

// Window numbers as LangWindow: 0 every open window, 1 the main window,
// 2 options, 3 tag editor, 4 equalizer, 5 search. A window that is not open
// is left alone; a missing file gives the built-in texts.
void ChargeLangue(int window);

// MESSAGES <number>, or its built-in text.
std::string LangMessage(int number);
// A key of OtherLanguageKeys (the help lines, the licence file name), or its
// built-in text.
std::string LangText(std::string_view section, std::string_view key);

}  // namespace player
