// The equalizer window's form: its window, labels, five bars and events.
#include "player/app/Unit_Form_Egaliseur.h"

#include <string>

namespace player {

using forms::Bind;
using forms::Bounds;
using forms::New;

namespace {

constexpr int kBarRange = 2 * kEqSliderLimit;

}  // namespace

TFormEgaliseur::TFormEgaliseur(forms::TComponent* owner) : TForm(owner, "TFormEgaliseur") {
  SetName("FormEgaliseur");
  SetBorderStyle(forms::BorderKind::None);
  SetStayOnTop(true);
  SetCaption("Egaliseur");
  SetBounds(0, 0, 141, 148);

  Label1 = New<forms::Label>(this, "Label1", this, Bounds{7, 5, 95, 13});
  Label1->SetCaption("Egaliseur");
  Label1->Font().SetBold(true);
  LabelClose = New<forms::Label>(this, "LabelClose", this, Bounds{106, 5, 10, 13});
  LabelClose->SetCaption("X");
  Label5 = New<forms::Label>(this, "Label5", this, Bounds{112, 21, 24, 13});
  Label5->SetCaption("+15");
  Label4 = New<forms::Label>(this, "Label4", this, Bounds{112, 75, 24, 13});
  Label4->SetCaption("0");
  Label4->Hint = "R.A.Z.";
  Label6 = New<forms::Label>(this, "Label6", this, Bounds{112, 129, 24, 13});
  Label6->SetCaption("-15");

  const char* hints[kEqBandCount] = {"80Hz", "298Hz", "1114Hz", "4158Hz", "15520Hz"};
  forms::ProgressBar** bars[kEqBandCount] = {&ProgressBar1, &ProgressBar2, &ProgressBar3, &ProgressBar4,
                                             &ProgressBar5};
  for (int i = 0; i < kEqBandCount; ++i) {
    forms::ProgressBar* bar =
        New<forms::ProgressBar>(this, "ProgressBar" + std::to_string(i + 1), this, Bounds{5 + 22 * i, 21, 17, 121}, true);
    bar->SetMax(kBarRange);
    bar->SetPosition(kEqSliderLimit);
    bar->Tag = i + 1;
    bar->Hint = hints[i];
    bar->OnMouseDown = Bind(this, &TFormEgaliseur::ProgressBar1MouseDown);
    bar->OnMouseMove = Bind(this, &TFormEgaliseur::ProgressBar1MouseMove);
    *bars[i] = bar;
  }

  OnShow = Bind(this, &TFormEgaliseur::FormShow);
  OnClose = Bind(this, &TFormEgaliseur::FormClose);
  OnPaint = Bind(this, &TFormEgaliseur::FormPaint);
  for (forms::Control* dragged : std::initializer_list<forms::Control*>{this, Label1, Label5, Label6})
    dragged->OnMouseMove = Bind(this, &TFormEgaliseur::FormMouseMove);
  LabelClose->OnClick = Bind(this, &TFormEgaliseur::LabelCloseClick);
  Label4->OnClick = Bind(this, &TFormEgaliseur::Label4Click);
  for (forms::Label* link : {LabelClose, Label4})
    link->OnMouseMove = [this, link](forms::TComponent*, forms::ShiftState, int, int) { LabelCloseMouseEnter(link); };
  SetMessageHandler(WM_MOUSELEAVE, [this](forms::WindowMessage&) { LabelCloseMouseLeave(); });
  SetMessageHandler(WM_SETCURSOR, [this](forms::WindowMessage& message) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(Handle(), &point);
    forms::Control* under = ControlAtPoint(point.x, point.y);
    // Over a bar (a window of its own) or a link: the hand.
    const bool link = reinterpret_cast<HWND>(message.WParam) != Handle() || under == LabelClose || under == Label4;
    SetCursor(LoadCursorW(nullptr, link ? IDC_HAND : IDC_SIZEALL));
    message.Result = TRUE;
  });
  AddToolTips();
}

}  // namespace player
