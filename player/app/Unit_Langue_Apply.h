#pragma once
// Puts a window's language texts into its components, and finds the open
// secondary windows that take texts.
#include <vector>

#include "player/Language.h"

namespace forms {
class TForm;
}

namespace player {

// A window whose texts go beyond captions and hints (radio items, page
// titles, lists, the about text) takes those through this.
class LanguageTarget {
 public:
  virtual ~LanguageTarget() = default;
  virtual void ApplyLanguageText(const LanguageText& text) = 0;
};

// Captions, hints and clicks go to the controls and menu items of that name
// at any depth, the rest to the form when it is a LanguageTarget; a target
// the form does not have is skipped.
void ApplyLanguageTexts(forms::TForm& form, const std::vector<LanguageText>& texts);

// The open form of the options, tag-editor, equalizer or search window
// (by its name or its class name), or null.
forms::TForm* OpenLanguageForm(LangWindow window);

}  // namespace player
