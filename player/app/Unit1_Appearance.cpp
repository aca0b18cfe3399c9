// The main window's behaviour around its skin: the fade, hiding when the
// program loses the focus, the tray icon's clicks, moving and sizing
// without a frame, the right-click menu, the cover preview's drag and the
// end of the Windows session.
#include <windowsx.h>

#include <cstdio>

#include "forms/Application.h"
#include "player/ShellOpen.h"
#include "player/WindowRules.h"
#include "player/app/Unit1.h"
#include "player/app/Unit_Form_Egaliseur.h"
#include "player/app/Unit_Form_Options.h"
#include "player/app/Unit_Form_Tag.h"

namespace player {

using forms::Bind;

void TForm1::WireAppearance() {
  // Hidden and fully transparent until the first fade-in.
  SetAlphaBlendValue(0);
  SetAlphaBlend(true);
  OnPaint = Bind(this, &TForm1::FormPaint);
  OnResize = Bind(this, &TForm1::FormResize);
  OnMouseMove = Bind(this, &TForm1::FormMouseMove);
  OnMouseDown = Bind(this, &TForm1::FormMouseDown);
  ListBox1->OnDrawItem = [this](forms::ListBox& list, int index, HDC dc, const RECT& rect, bool selected,
                                bool focused) { ListBox1DrawItem(list, index, dc, rect, selected, focused); };
  TreeView1->OnCustomDrawItem = [this](forms::TreeView& tree, forms::TreeNode node, forms::TreeNodeDraw& draw) {
    TreeView1AdvancedCustomDrawItem(tree, node, draw);
  };
  Panel_Listes->OnResize = [this](forms::TComponent*) { AlignLists(); };
  Splitter1->OnMoving = [this](forms::TComponent*) { AlignLists(); };
  Splitter1->OnMoved = Bind(this, &TForm1::Splitter1Moved);
  TrayIcon1->OnMouseDown = Bind(this, &TForm1::TrayIcon1MouseDown);
  TrayIcon1->OnDblClick = Bind(this, &TForm1::TrayIcon1DblClick);
  SpdBtnOptions->OnClick = Bind(this, &TForm1::MenuOptionsClick);
  SpdBtnEgaliseur->OnClick = Bind(this, &TForm1::SpdBtnEgaliseurClick);
  PanelPreviewAlbum->OnMouseMove = Bind(this, &TForm1::PanelPreviewAlbumMouseMove);
  // The picture covers its panel: its moves drag the panel.
  ImgPreviewAlbum->OnMouseMove = [this](forms::TComponent*, forms::ShiftState shift, int x, int y) {
    PanelPreviewAlbumMouseMove(PanelPreviewAlbum, shift, x + ImgPreviewAlbum->Left(), y + ImgPreviewAlbum->Top());
  };
  ImgPreviewAlbum->OnDblClick = Bind(this, &TForm1::ImgPreviewAlbumDblClick);
  SnapForm1 = forms::New<desktop::TSnapForm>(this, "SnapForm1");
  SnapForm1->SnapStrenght = 5;
  SnapForm1->SetSnapScreenBorder(true);
  SnapForm1->SetActive(true);

  SetMessageHandler(WM_SETCURSOR, [this](forms::WindowMessage& message) {
    if (reinterpret_cast<HWND>(message.WParam) == Handle() && LOWORD(message.LParam) == HTCLIENT) {
      POINT point{};
      GetCursorPos(&point);
      ScreenToClient(Handle(), &point);
      SetFormCursor(point.x, point.y);
      message.Result = TRUE;
      return;
    }
    DefaultHandler(message);
  });
  // The session may still be cancelled by another program: nothing is
  // closed until it really ends, and then the save is done before the
  // answer, since the process may be ended right after it.
  SetMessageHandler(WM_QUERYENDSESSION, [](forms::WindowMessage& message) { message.Result = TRUE; });
  SetMessageHandler(WM_ENDSESSION, [this](forms::WindowMessage& message) {
    message.Result = 0;
    if (message.WParam) SaveOnSessionEnd();
  });
}

void TForm1::TimerAffichageTimer() {
  const FadeTick tick = NextFade(AlphaBlendValue(), FormShown);
  SetAlphaBlendValue(static_cast<std::uint8_t>(tick.Opacity));
  if (!tick.Done) return;
  TimerAffichage->SetEnabled(false);
  if (FormShown) {
    SetAlphaBlend(false);
  } else {
    Hide();
  }
}

void TForm1::AppDeactivate() {
  // The options and the tag editor work on the main window: it stays.
  if (!FormShown || MenuResteAffichee->Checked || FormOptions || FormTag) return;
  CacheForm(true);
}

void TForm1::TrayIcon1MouseDown(forms::TComponent*, forms::MouseButton Button, forms::ShiftState, int, int) {
  if (Button != forms::MouseButton::Left) return;
  if (FormShown)
    CacheForm(true);
  else
    AfficheForm(0, false);
}

void TForm1::TrayIcon1DblClick(forms::TComponent* Sender) { MenuOptionsClick(Sender); }
void TForm1::MenuOptionsClick(forms::TComponent*) { OpenOptionsWindow(); }
void TForm1::SpdBtnEgaliseurClick(forms::TComponent*) {
  if (!FormEgaliseur) FormEgaliseur = forms::Application->CreateForm<TFormEgaliseur>();
  if (FormEgaliseur->Visible())
    FormEgaliseur->Close();
  else
    FormEgaliseur->ShowNoActivate();
}

void TForm1::SetFormCursor(int x, int y) {
  LPCWSTR shapes[] = {IDC_SIZEALL, IDC_SIZENWSE, IDC_SIZENESW, IDC_SIZENS, IDC_SIZEWE};
  const EdgeCursor cursor = CursorForEdges(EdgesAt(x, y, Width(), Height()));
  SetCursor(LoadCursorW(nullptr, shapes[static_cast<int>(cursor)]));
}

void TForm1::FormMouseMove(forms::TComponent*, forms::ShiftState Shift, int X, int Y) {
  SetFormCursor(X, Y);
  if (!(Shift & forms::kLeftButton)) return;
  // The system's own move or size loop takes over from here.
  ReleaseCapture();
  SendMessageW(Handle(), WM_SYSCOMMAND, EdgeCommand(EdgesAt(X, Y, Width(), Height())), 0);
}

void TForm1::FormMouseDown(forms::TComponent*, forms::MouseButton Button, forms::ShiftState, int, int) {
  if (Button != forms::MouseButton::Right) return;
  POINT point{};
  GetCursorPos(&point);
  PopupMenu1->Popup(point.x, point.y);
}

void TForm1::PanelPreviewAlbumMouseMove(forms::TComponent*, forms::ShiftState Shift, int X, int Y) {
  forms::Panel& panel = *PanelPreviewAlbum;
  if (!(Shift & forms::kLeftButton)) {
    panel.Hint.clear();
    return;
  }
  int anchorX = 0, anchorY = 0;
  if (panel.Hint.empty() || std::sscanf(panel.Hint.c_str(), "%dx%d", &anchorX, &anchorY) != 2) {
    panel.Hint = std::to_string(X) + "x" + std::to_string(Y);
    return;
  }
  const int left = ClampPreview(X + panel.Left() - anchorX, panel.Width(), Panel_Listes->Width());
  const int top = ClampPreview(Y + panel.Top() - anchorY, panel.Height(), Panel_Listes->Height());
  panel.SetBounds(left, top, panel.Width(), panel.Height());
  RepaintLists();
  PreviewTop = top;
  PreviewRight = Panel_Listes->Width() - panel.Width() - left;
}

void TForm1::ImgPreviewAlbumDblClick(forms::TComponent*) {
  if (!ImgPreviewAlbum->Hint.empty()) ShellOpen(Handle(), ImgPreviewAlbum->Hint, "");
}

}  // namespace player
