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
  FillFolders(settings);              // 5, 6
  FillIcons(settings);                // 7
  FillHotKeys(settings);              // 8
  FillGeneralFromSettings(settings);  // 9
  FillFonts();                        // 10
  FillOpacity();                      // 11
  FillProxy(settings);                // 13
  FillSubmission(settings);           // 14
  FillOutputDevices(settings);        // 15
  FillGeneralFromMemory();            // 12, 17, 19
  FillTemplates();                    // 18
  FillLanguages();                    // 20
  FillSkins();                        // 21
  FillRegistry();                     // 22
  Tag = 1;
}

}  // namespace player
