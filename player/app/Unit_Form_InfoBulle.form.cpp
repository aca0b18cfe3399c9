// The info bubble's form: its window, its two components and their events.
#include "player/app/Unit_Form_InfoBulle.h"

namespace player {

using forms::Bind;
using forms::Bounds;
using forms::New;

TFormInfoBulle::TFormInfoBulle(forms::TComponent* owner) : TForm(owner, "TFormInfoBulle", forms::BorderKind::None) {
  SetName("FormInfoBulle");
  SetStayOnTop(true);
  SetCaption("Sorivanel");
  // A tool window that is never activated: no taskbar button, and a click
  // on it leaves the focus where it is.
  const LONG_PTR exStyle = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
  SetMessageHandler(WM_MOUSEACTIVATE, [](forms::WindowMessage& message) { message.Result = MA_NOACTIVATE; });
  SetMessageHandler(WM_SETCURSOR, [](forms::WindowMessage& message) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    message.Result = TRUE;
  });
  SetBounds(0, 0, 250, 60);
  SetMinimumSize(100, 40);
  Tag = 255;

  Label1 = New<TBubbleLabel>(this, "Label1", this, Bounds{5, 5, 80, 13});
  ImgAlbum = New<forms::ImageView>(this, "ImgAlbum", this, Bounds{5, 5, 70, 70});
  ImgAlbum->SetVisible(false);

  OnPaint = Bind(this, &TFormInfoBulle::FormPaint);
  OnMouseDown = Bind(this, &TFormInfoBulle::FormMouseDown);
  Label1->OnMouseDown = Bind(this, &TFormInfoBulle::FormMouseDown);
  ImgAlbum->OnMouseDown = Bind(this, &TFormInfoBulle::FormMouseDown);
  FormCreate();
}

}  // namespace player
