// The skin editor's program entry: one window, opened on the skin named by
// the first argument when there is one.
#include <windows.h>

#include <string>
#include <vector>

#include "base/CommandLine.h"
#include "forms/Application.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "skineditor/Unit1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  forms::TApplication application;
  application.SetTitle("Sorivanel Skin Maker");
  const sv::CommandLine commandLine(forms::narrow(GetCommandLineW()));
  std::vector<std::string> arguments;
  for (int i = 1; i <= commandLine.ParamCount(); ++i) arguments.push_back(commandLine.ParamStr(i));
  auto* form = application.CreateForm<quorvane::TForm1>();
  form->Show();
  forms::Guarded([&] { form->FormCreate(arguments); });
  application.Run();
  return 0;
}
