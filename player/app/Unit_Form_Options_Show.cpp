// Showing the options window: every control is filled, in a fixed order,
// from the settings file, the registry, the language and skin folders, the
// audio library's devices and the running player's state. While it fills,
// the filling flag `Tag` is 0, so the handlers that test it write nothing.
#include "forms/Application.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"
#include "player/app/Unit_Gestion_Langue.h"

namespace player {

void TFormOptions::FormShow(forms::TComponent*) {
  Tag = 0;
  if (Form1) Form1->AfficheForm(0, true);
  if (forms::Application && !topMostsNormalised_) {
    forms::Application->NormalizeTopMosts();
    topMostsNormalised_ = true;
  }
  ChargeLangue(static_cast<int>(LangWindow::Options));
  ListBoxPages->SetItemIndex(0);
  ListBoxPagesClick(ListBoxPages);

  const SettingsFile settings(Form1 ? Form1->IniFileName : std::string());
  FillFolders(settings);
  FillIcons(settings);
  FillHotKeys(settings);
  FillGeneralFromSettings(settings);
  FillFonts();
  FillOpacity();
  FillProxy(settings);
  FillSubmission(settings);
  FillOutputDevices(settings);
  FillGeneralFromMemory();
  FillTemplates();
  FillLanguages();
  FillSkins();
  FillRegistry();
  Tag = 1;
}

}  // namespace player
