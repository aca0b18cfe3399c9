// The options window's connection page: the proxy. Its texts are stored as
// typed; the port is checked when a request uses it.
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Options.h"

namespace player {

void TFormOptions::FillProxy(const SettingsFile& settings) {
  const ProxySettings proxy = settings.ReadProxy();
  CheckBoxProxy->SetChecked(proxy.Enabled);
  EditProxyAddress->SetText(proxy.Address);
  EditProxyPort->SetText(proxy.Port);
  EditProxyUser->SetText(proxy.User);
  EditProxyPass->SetText(proxy.Password);
  BtnValiderProxy->SetEnabled(false);
}

void TFormOptions::CheckBoxProxyClick(forms::TComponent*) {
  if (Tag == 0) return;
  BtnValiderProxy->SetEnabled(true);
}

void TFormOptions::BtnValiderProxyClick(forms::TComponent*) {
  if (!Form1) return;
  BtnValiderProxy->SetEnabled(false);
  ProxySettings proxy;
  proxy.Enabled = CheckBoxProxy->Checked();
  proxy.Address = EditProxyAddress->Text();
  proxy.Port = EditProxyPort->Text();
  proxy.User = EditProxyUser->Text();
  proxy.Password = EditProxyPass->Text();
  SettingsFile(Form1->IniFileName).WriteProxy(proxy);
  ShowNextStartNotice();
}

}  // namespace player
