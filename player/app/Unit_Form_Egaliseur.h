#pragma once
// The equalizer window: five vertical sliders, one per band, that set the
// main window's gains at once and bring them onto the playing channel. It
// takes its look from the info bubble's skin and the seek bar's colours,
// docks to the left of the main window, and frees itself when closed (each
// showing starts over).
#include <windows.h>

#include <array>

#include "forms/Form.h"
#include "forms/Label.h"
#include "forms/ProgressBar.h"
#include "player/VolumeEqualizer.h"

namespace player {

class TFormEgaliseur : public forms::TForm {
 public:
  explicit TFormEgaliseur(forms::TComponent* owner);
  ~TFormEgaliseur() override;

  // Sliders from the gains, look from the bubble, place beside the main
  // window; also after a skin change.
  void FormShow(forms::TComponent* Sender);
  void ProgressBar1MouseDown(forms::TComponent* Sender, forms::MouseButton Button, forms::ShiftState Shift, int X,
                             int Y);
  void ProgressBar1MouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  void Label4Click(forms::TComponent* Sender);
  void LabelCloseClick(forms::TComponent* Sender);
  void FormClose(forms::TComponent* Sender, forms::CloseAction& Action);
  void FormMouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y);
  // The hover underline of LabelClose and Label4.
  void LabelCloseMouseEnter(forms::Label* label);
  void LabelCloseMouseLeave();
  void FormPaint(forms::TComponent* Sender);

  // Components. The bars run 0..300: a slider's position + 150.
  forms::Label *Label1 = nullptr, *LabelClose = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr;
  forms::ProgressBar *ProgressBar1 = nullptr, *ProgressBar2 = nullptr, *ProgressBar3 = nullptr,
                     *ProgressBar4 = nullptr, *ProgressBar5 = nullptr;

  // A slider's position (-150..150) as its bar shows it.
  static int SliderPosition(const forms::ProgressBar& bar);

 private:
  std::array<forms::ProgressBar*, kEqBandCount> Bars() const;
  void AddToolTips();
  forms::Label* Hovered = nullptr;
  HWND ToolTips = nullptr;
};

// The window while it exists, else null.
extern TFormEgaliseur* FormEgaliseur;

}  // namespace player
