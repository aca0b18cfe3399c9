// The equalizer window's behaviour: a press or drag on a bar sets its band,
// "0" resets all five, "X" closes; the look comes from the info bubble.
#include "player/app/Unit_Form_Egaliseur.h"

#include <commctrl.h>

#include "base/Numbers.h"
#include "forms/Application.h"
#include "forms/GdiObject.h"
#include "forms/Wide.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_InfoBulle.h"
#include "player/app/Unit_Gestion_Langue.h"
#include "skin/platform/SkinPainting.h"

namespace player {

TFormEgaliseur* FormEgaliseur = nullptr;

namespace {

constexpr int kEqualizerWindow = 4;

}  // namespace

TFormEgaliseur::~TFormEgaliseur() {
  if (ToolTips) DestroyWindow(ToolTips);
  if (FormEgaliseur == this) FormEgaliseur = nullptr;
}

std::array<forms::ProgressBar*, kEqBandCount> TFormEgaliseur::Bars() const {
  return {ProgressBar1, ProgressBar2, ProgressBar3, ProgressBar4, ProgressBar5};
}

int TFormEgaliseur::SliderPosition(const forms::ProgressBar& bar) {
  return static_cast<int>(bar.Position()) - kEqSliderLimit;
}

// The bars' band names and the reset's hint, shown when the mouse rests.
void TFormEgaliseur::AddToolTips() {
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  ToolTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, GetModuleHandleW(nullptr),
                             nullptr);
  if (!ToolTips) return;
  for (forms::ProgressBar* bar : Bars()) {
    std::wstring text = forms::widen(bar->Hint);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(bar->Handle());
    tool.lpszText = text.data();
    SendMessageW(ToolTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void TFormEgaliseur::FormShow(forms::TComponent*) {
  ChargeLangue(kEqualizerWindow);
  if (!Form1 || !FormInfoBulle) return;
  for (int band = 0; band < kEqBandCount; ++band)
    Bars()[band]->SetPosition(sv::Round(Form1->Volume.EqGain[band] * 10.0) + kEqSliderLimit);

  const TFormInfoBulle& bubble = *FormInfoBulle;
  SetTransparentColorValue(bubble.TransparentColorValue());
  SetTransparentColor(bubble.TransparentColor());
  SetColor(bubble.Color());
  DoubleBuffered = true;
  for (forms::ProgressBar* bar : Bars()) {
    bar->SetBackgroundColor(Form1->ProgressBar1->BackgroundColor());
    bar->SetBarColor(static_cast<forms::ColourValue>(Form1->ProgressBar1->Tag));
  }
  const forms::ColourValue text = bubble.Label1->Font().Color();
  for (forms::Label* label : {Label1, LabelClose, Label4, Label5, Label6}) label->Font().SetColor(text);

  const BubbleMargins& m = bubble.TextMargins;
  Label1->SetBounds(m.Left + 2, m.Top, Label1->Width(), Label1->Height());
  LabelClose->SetBounds(m.Left + 101, m.Top, LabelClose->Width(), LabelClose->Height());
  const auto bars = Bars();
  for (int i = 0; i < kEqBandCount; ++i)
    bars[i]->SetBounds(m.Left + 22 * i, m.Top + 16, bars[i]->Width(), bars[i]->Height());
  Label5->SetBounds(m.Left + 107, m.Top + 16, Label5->Width(), Label5->Height());
  Label4->SetBounds(m.Left + 107, m.Top + 70, Label4->Width(), Label4->Height());
  Label6->SetBounds(m.Left + 107, m.Top + 124, Label6->Width(), Label6->Height());

  const int width = m.Left + m.Right + 131, height = m.Top + m.Bottom + 138;
  const int left = Form1->Left() - width > 0 ? Form1->Left() - width : Left();
  SetBounds(left, Form1->Top() + Form1->Height() - height, width, height);
  Invalidate();
}

void TFormEgaliseur::ProgressBar1MouseDown(forms::TComponent* Sender, forms::MouseButton, forms::ShiftState, int,
                                           int Y) {
  if (!Form1) return;
  auto* bar = dynamic_cast<forms::ProgressBar*>(Sender);
  if (!bar) return;
  bar->SetPosition(EqSliderPosition(Y, bar->Height()) + kEqSliderLimit);
  SetEqBand(Form1->Volume, bar->Tag - 1, SliderPosition(*bar));
}

void TFormEgaliseur::ProgressBar1MouseMove(forms::TComponent* Sender, forms::ShiftState Shift, int X, int Y) {
  if (Shift & forms::kLeftButton) ProgressBar1MouseDown(Sender, forms::MouseButton::Left, Shift, X, Y);
}

void TFormEgaliseur::Label4Click(forms::TComponent*) {
  for (forms::ProgressBar* bar : Bars())
    ProgressBar1MouseDown(bar, forms::MouseButton::Left, forms::kLeftButton, 0, bar->Height() / 2);
}

void TFormEgaliseur::LabelCloseClick(forms::TComponent*) { Close(); }

// Freed once the message that closed it is done: never on the stack of its
// own handler.
void TFormEgaliseur::FormClose(forms::TComponent*, forms::CloseAction& Action) {
  Action = forms::CloseAction::Free;
  if (FormEgaliseur == this) FormEgaliseur = nullptr;
}

void TFormEgaliseur::FormMouseMove(forms::TComponent*, forms::ShiftState Shift, int, int) {
  LabelCloseMouseLeave();
  if (!(Shift & forms::kLeftButton)) return;
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void TFormEgaliseur::LabelCloseMouseEnter(forms::Label* label) {
  if (label == Hovered) return;
  LabelCloseMouseLeave();
  Hovered = label;
  Hovered->Font().SetUnderline(true);
  // Leaving the window comes as WM_MOUSELEAVE; moves elsewhere on it as
  // the form's or another label's mouse move.
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
  TrackMouseEvent(&track);
}

void TFormEgaliseur::LabelCloseMouseLeave() {
  if (Hovered) Hovered->Font().SetUnderline(false);
  Hovered = nullptr;
}

void TFormEgaliseur::FormPaint(forms::TComponent*) {
  HDC dc = PaintingDC();
  if (!dc || !FormInfoBulle || !FormInfoBulle->BackgroundBitmap) return;
  sv::skin::PaintNineSlice(dc, *FormInfoBulle->BackgroundBitmap, ClientWidth(), ClientHeight(),
                           FormInfoBulle->DuplicateW, FormInfoBulle->DuplicateH);
}

}  // namespace player
