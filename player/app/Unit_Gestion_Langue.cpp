#include "player/app/Unit_Gestion_Langue.h"

#include "player/ProgramVersion.h"
#include "player/app/Unit1.h"

namespace player {
namespace {

std::string CurrentFile() { return Form1 ? Form1->LangFileName : std::string(); }

}  // namespace

void ChargeLangue(int window) {
  if (window < 0 || window > static_cast<int>(LangWindow::Search)) return;
  const LanguageFile file(CurrentFile());
  for (LangWindow each :
       {LangWindow::Main, LangWindow::Options, LangWindow::TagEditor, LangWindow::Equalizer, LangWindow::Search}) {
    if (window != 0 && window != static_cast<int>(each)) continue;
    forms::TForm* form = each == LangWindow::Main ? Form1 : OpenLanguageForm(each);
    if (form) ApplyLanguageTexts(*form, ResolveLanguageTexts(each, file, kProgramVersion));
  }
}

std::string LangMessage(int number) { return LanguageFile(CurrentFile()).Message(number); }

std::string LangText(std::string_view section, std::string_view key) {
  return LanguageFile(CurrentFile()).Read(section, key);
}

}  // namespace player
