// The options window's hot-key page: the eight hot keys shown, changed,
// stored and registered again.
#include <windows.h>
#include <commctrl.h>

#include "player/HotKeyFields.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"

namespace player {

void TFormOptions::FillHotKeys(const SettingsFile& settings) {
  const HotKeySettings hotKeys = settings.ReadHotKeys();
  for (std::size_t i = 0; i < HotKeyFields.size(); ++i) {
    const HotKey& key = hotKeys.Keys[i];
    // A key alone or with Shift alone would take keys the user types
    // elsewhere: the field adds Ctrl+Alt to such a choice.
    HotKeyFields[i]->SetRules(HKCOMB_NONE | HKCOMB_S, HOTKEYF_CONTROL | HOTKEYF_ALT);
    HotKeyChecks[i]->SetChecked(key.Active);
    HotKeyFields[i]->SetEnabled(key.Active);
    HotKeyFields[i]->SetValue(FieldFromStored(StoredHotKey(key.Value)));
  }
  BtnSetHotKey->SetEnabled(false);
}

void TFormOptions::CheckHotKeyClick(forms::TComponent*) {
  if (Tag == 0) return;
  BtnSetHotKey->SetEnabled(true);
  for (std::size_t i = 0; i < HotKeyFields.size(); ++i) HotKeyFields[i]->SetEnabled(HotKeyChecks[i]->Checked());
}

void TFormOptions::BtnSetHotKeyClick(forms::TComponent*) {
  if (!Form1) return;
  BtnSetHotKey->SetEnabled(false);
  HotKeySettings hotKeys;
  for (std::size_t i = 0; i < HotKeyFields.size(); ++i) {
    hotKeys.Keys[i].Active = HotKeyChecks[i]->Checked();
    hotKeys.Keys[i].Value = StoredFromField(HotKeyFields[i]->Value());
  }
  SettingsFile(Form1->IniFileName).WriteHotKeys(hotKeys);
  Form1->HotKeyManager1->UnregisterAllHotKeys();
  Form1->RegisterHotKeys(hotKeys);
}

}  // namespace player
