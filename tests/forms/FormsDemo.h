#pragma once
// The demo program of the form-layer tests: a main form with windowless pads
// and a child panel, run as a real process under test. Each pad's click
// leaves a trace the tests can read: a file, an error box, or nothing.
#include "forms/Form.h"
#include "tests/forms/TestControls.h"

class TFormDemo : public forms::TForm {
 public:
  explicit TFormDemo(forms::TComponent* owner);
  ~TFormDemo() override;

  formstest::ColourPad* PadWrite = nullptr;
  formstest::ColourPad* PadFail = nullptr;
  formstest::ColourPad* PadQuiet = nullptr;
  formstest::ColourPad* PadHalt = nullptr;
  formstest::PlainPanel* Panel1 = nullptr;

  void PadWriteClick(forms::TComponent* sender);
  void PadFailClick(forms::TComponent* sender);
  void PadQuietClick(forms::TComponent* sender);
  void PadHaltClick(forms::TComponent* sender);
  void FormClose(forms::TComponent* sender, forms::CloseAction& action);

 private:
  // The form description, in FormsDemo.form.cpp.
  void CreateComponents();
};
