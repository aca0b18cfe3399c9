// The options window's about page: the version check, the home page, the
// licence and the about text.
#include "base/TextFile.h"
#include "player/OptionFiles.h"
#include "player/ShellOpen.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"
#include "player/app/Unit_Gestion_Langue.h"

namespace player {

void TFormOptions::SetAboutText(const std::vector<std::string>& lines) { RichEdit1->SetLines(lines, true); }

void TFormOptions::LabelWebVersionClick(forms::TComponent*) {
  if (Form1) Form1->CheckNewVersion(true);
}

void TFormOptions::LabelLicenseClick(forms::TComponent*) {
  if (!Form1) return;
  // The name comes from a language file, which anyone may hand out: only a
  // plain text file beside the program is opened.
  const auto path = LicenceFilePath(Form1->ExeFolder, LangText(lang::kOption, "LicenseFile"));
  if (path && sv::FileExists(*path)) ShellOpen(Handle(), *path, "");
}

}  // namespace player
