// Form description of TFormDemo.
#include "tests/forms/FormsDemo.h"

using forms::Bind;
using forms::New;
using formstest::ColourPad;
using formstest::PlainPanel;

void TFormDemo::CreateComponents() {
  SetName("FormDemo");
  SetCaption("Forms Demo");
  SetBounds(100, 100, 300, 200);
  SetColor(RGB(0, 128, 0));
  OnClose = Bind(this, &TFormDemo::FormClose);

  PadWrite = New<ColourPad>(this, "PadWrite", this, forms::Bounds{10, 10, 40, 30}, RGB(255, 0, 0));
  PadWrite->SetCaption("Write");
  PadWrite->OnClick = Bind(this, &TFormDemo::PadWriteClick);

  PadFail = New<ColourPad>(this, "PadFail", this, forms::Bounds{60, 10, 40, 30}, RGB(0, 0, 255));
  PadFail->OnClick = Bind(this, &TFormDemo::PadFailClick);

  PadQuiet = New<ColourPad>(this, "PadQuiet", this, forms::Bounds{110, 10, 40, 30}, RGB(255, 255, 0));
  PadQuiet->OnClick = Bind(this, &TFormDemo::PadQuietClick);

  PadHalt = New<ColourPad>(this, "PadHalt", this, forms::Bounds{160, 10, 40, 30}, RGB(0, 0, 0));
  PadHalt->OnClick = Bind(this, &TFormDemo::PadHaltClick);

  Panel1 = New<PlainPanel>(this, "Panel1", this, forms::Bounds{10, 60, 120, 50});
}
