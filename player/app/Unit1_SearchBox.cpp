// The search box inside the playlist: find next by text, its colours, its
// two links and its drag.
#include <cstdio>

#include "forms/Wide.h"
#include "player/PlaylistCommands.h"
#include "player/app/Unit1.h"

namespace player {

namespace {

using forms::Bind;

constexpr forms::ColourValue kFoundColour = 0x00FF00;
constexpr forms::ColourValue kNotFoundColour = 0x0000FF;
constexpr forms::ColourValue kLinkColour = 0xFF0000;
constexpr forms::ColourValue kPressedLinkColour = 0x0000FF;
constexpr forms::ColourValue kBlack = 0x000000;
constexpr forms::ColourValue kWhite = 0xFFFFFF;

// The search box's layout: the edit above its two links.
constexpr forms::Bounds kBoxBounds{0, 0, 160, 44};
constexpr forms::Bounds kEditBounds{4, 4, 152, 20};
constexpr forms::Bounds kFindLinkBounds{8, 27, 72, 14};
constexpr forms::Bounds kCloseLinkBounds{88, 27, 66, 14};

std::wstring Lowered(const std::string& text) {
  std::wstring wide = forms::widen(text);
  if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
  return wide;
}

}  // namespace

void TForm1::WireSearchBox() {
  RechercheBox = forms::New<forms::Panel>(this, "RechercheBox", Panel_Listes, kBoxBounds);
  RechercheBox->SetVisible(false);
  RechercheBox->OnMouseMove = Bind(this, &TForm1::RechercheBoxMouseMove);
  RechercheTexte = forms::New<forms::Edit>(this, "RechercheTexte", RechercheBox, kEditBounds);
  RechercheTexte->SetFontColor(kBlack);
  RechercheTexte->OnChange = Bind(this, &TForm1::RechercheTexteChange);
  LblLancerRecherche = forms::New<forms::Label>(this, "LblLancerRecherche", RechercheBox, kFindLinkBounds);
  LblLancerRecherche->SetCaption("< chercher >");
  LblLancerRecherche->OnClick = Bind(this, &TForm1::LblLancerRechercheClick);
  LblFermeRecherche = forms::New<forms::Label>(this, "LblFermeRecherche", RechercheBox, kCloseLinkBounds);
  LblFermeRecherche->SetCaption("< fermer >");
  LblFermeRecherche->OnClick = Bind(this, &TForm1::LblFermeRechercheClick);
  for (forms::Label* link : {LblLancerRecherche, LblFermeRecherche}) {
    link->Font().SetColor(kLinkColour);
    link->OnMouseDown = Bind(this, &TForm1::LblMouseDown);
    link->OnMouseUp = Bind(this, &TForm1::LblMouseUp);
  }
}

void TForm1::SetSearchColours(forms::ColourValue background, forms::ColourValue text) {
  RechercheTexte->SetColor(background);
  RechercheTexte->SetFontColor(text);
}

void TForm1::MenuRechercherChansonClick(forms::TComponent*) {
  RechercheBox->SetBounds(Panel_Listes->Width() - RechercheBox->Width() - 20, 20, RechercheBox->Width(),
                          RechercheBox->Height());
  SetSearchColours(forms::kColourWindow, kBlack);
  SetWindowPos(RechercheBox->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RechercheBox->SetVisible(true);
  RechercheTexte->SetFocus();
}

void TForm1::LblLancerRechercheClick(forms::TComponent*) {
  const int count = ListBox1->Count();
  if (count == 0) return;
  const std::string text = RechercheTexte->Text();
  const std::wstring wanted = Lowered(text);
  const std::vector<int> selected = SelectedIndices();
  const auto matches = [&](int index) { return Lowered(ListBox1->Item(index)).find(wanted) != std::wstring::npos; };
  const int found =
      FindNextEntry(count, selected.empty() ? -1 : selected.front(), RechercheTexte->Tag != 0, text, matches);
  if (found < 0) {
    SetSearchColours(kNotFoundColour, kWhite);
    return;
  }
  ListBox1->SetItemIndex(found);
  if (const int top = SearchTopIndex(found); top >= 0) ListBox1->SetTopIndex(top);
  SetSearchColours(kFoundColour, kBlack);
}

void TForm1::RechercheTexteChange(forms::TComponent*) {
  RechercheTexte->Tag = 1;
  SetSearchColours(forms::kColourWindow, kBlack);
  if (forms::widen(RechercheTexte->Text()).size() > 2) LblLancerRechercheClick(RechercheTexte);
}

void TForm1::LblFermeRechercheClick(forms::TComponent*) { RechercheBox->SetVisible(false); }

void TForm1::LblMouseDown(forms::TComponent* Sender, forms::MouseButton, forms::ShiftState, int, int) {
  RechercheTexte->Tag = 0;
  if (auto* link = dynamic_cast<forms::Label*>(Sender)) link->Font().SetColor(kPressedLinkColour);
}

void TForm1::LblMouseUp(forms::TComponent* Sender, forms::MouseButton, forms::ShiftState, int, int) {
  if (auto* link = dynamic_cast<forms::Label*>(Sender)) link->Font().SetColor(kLinkColour);
}

void TForm1::RechercheBoxMouseMove(forms::TComponent*, forms::ShiftState Shift, int X, int Y) {
  if (!RechercheTexte->Focused()) RechercheTexte->SetFocus();
  forms::Panel& box = *RechercheBox;
  if (!(Shift & forms::kLeftButton)) {
    box.Hint.clear();
    return;
  }
  int grabX = 0, grabY = 0;
  if (box.Hint.empty() || std::sscanf(box.Hint.c_str(), "%dx%d", &grabX, &grabY) != 2) {
    box.Hint = std::to_string(X) + "x" + std::to_string(Y);
    return;
  }
  const int left = DragSearchBox(X, box.Left(), grabX, box.Width(), ListBox1->Left(), ListBox1->Width());
  const int top = DragSearchBox(Y, box.Top(), grabY, box.Height(), ListBox1->Top(), ListBox1->Height());
  box.SetBounds(left, top, box.Width(), box.Height());
}

}  // namespace player
