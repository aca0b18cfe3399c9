#include "tests/forms/FormsDemo.h"

#include <windows.h>

#include <fstream>

#include "base/Exception.h"
#include "forms/Application.h"

namespace {
void Leave(const char* file, const std::string& text) {
  std::ofstream out(file, std::ios::binary | std::ios::app);
  out << text << '\n';
}
}  // namespace

TFormDemo::TFormDemo(forms::TComponent* owner) : TForm(owner, "TFormDemo") { CreateComponents(); }

TFormDemo::~TFormDemo() { Leave("destroyed.txt", "destroyed"); }

void TFormDemo::PadWriteClick(forms::TComponent* sender) { Leave("clicked.txt", sender->Name()); }

void TFormDemo::PadFailClick(forms::TComponent*) { throw sv::Exception("Demo failure"); }

void TFormDemo::PadQuietClick(forms::TComponent*) {
  Leave("quiet.txt", "before");
  throw sv::Abort();
}

void TFormDemo::PadHaltClick(forms::TComponent*) { forms::Application->Halt(3); }

void TFormDemo::FormClose(forms::TComponent*, forms::CloseAction&) { Leave("closed.txt", "closed"); }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  forms::TApplication application;
  application.SetTitle("Sorivanel Forms Demo");
  application.CreateForm<TFormDemo>();
  application.Run();
  return 0;
}
