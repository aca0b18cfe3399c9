// The player's main block: hands the arguments over to an instance that
// runs, or becomes the instance.
#include <windows.h>

#include "base/CommandLine.h"
#include "forms/Application.h"
#include "forms/Dispatch.h"
#include "forms/Wide.h"
#include "player/app/HandOver.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  forms::TApplication application;
  application.SetTitle("Starting Sorivanel...");
  const HWND other = FindWindowW(L"TApplication", L"Sorivanel");
  const sv::CommandLine commandLine(forms::narrow(GetCommandLineW()));
  std::vector<std::string> arguments;
  for (int i = 1; i <= commandLine.ParamCount(); ++i) arguments.push_back(commandLine.ParamStr(i));
  // Before the start-up makes the executable's folder the current one.
  arguments = player::FullPathArguments(arguments);

  if (other) {
    if (HWND target = player::FindRunningMainWindow(5000))
      player::HandOverArguments(target, arguments.empty() ? std::vector<std::string>{"/show"} : arguments);
    return 0;
  }
  // Registered before the title tells other starts that we are here.
  player::WmEnvoiAtom();
  application.SetTitle("Sorivanel");
  application.ShowMainForm = false;
  application.CreateForm<player::TForm1>();
  player::FormInfoBulle = application.CreateForm<player::TFormInfoBulle>();
  forms::Guarded([&] { player::Form1->Demarrage(arguments); });
  application.Run();
  return 0;
}
