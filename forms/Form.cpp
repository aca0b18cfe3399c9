#include "forms/Form.h"

#include <algorithm>

#include "forms/Application.h"
#include "forms/Dispatch.h"
#include "forms/ZOrder.h"

namespace forms {

namespace {
constexpr DWORD kBorderMask = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;

UINT ReleaseMessage() {
  static const UINT message = RegisterWindowMessageW(L"SorivanelFormRelease");
  return message;
}

void ReframeWindow(HWND window) {
  SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

TForm::TForm(TComponent* owner, const std::string& className, BorderKind border)
    : WindowedControl(owner), className_(className), border_(border) {
  HWND ownerWindow = Application ? Application->Handle() : nullptr;
  CreateHandle(className, WS_POPUP | WS_CLIPCHILDREN | BorderBits(border_), 0, ownerWindow, "", Bounds{0, 0, 320, 240});
}

TForm::~TForm() {
  // The derived form is gone; its components, freed next, may still send
  // messages to this window, which must not reach its handlers.
  OnCreate = nullptr;
  OnShow = nullptr;
  OnResize = nullptr;
  OnPaint = nullptr;
  OnKeyDown = nullptr;
  OnCloseQuery = nullptr;
  OnClose = nullptr;
  OnClick = nullptr;
  OnMouseDown = nullptr;
  OnMouseUp = nullptr;
  OnMouseMove = nullptr;
  ClearMessageHandlers();
}

DWORD TForm::BorderBits(BorderKind border) {
  switch (border) {
    case BorderKind::None:
      return 0;
    case BorderKind::Single:
      return WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    case BorderKind::Sizeable:
      break;
  }
  return kBorderMask;
}

void TForm::AfterConstruction() {
  WindowedControl::AfterConstruction();
  if (OnCreate) Guarded([&] { OnCreate(this); });
}

void TForm::Show() {
  if (Visible()) {
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return;
  }
  ShowWindow(Handle(), SW_SHOW);
}

void TForm::Hide() { ShowWindow(Handle(), SW_HIDE); }

void TForm::ShowNoActivate() {
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  SetWindowPos(Handle(), stayOnTop_ ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
}

void TForm::SetVisible(bool visible) {
  visible_ = visible;
  if (visible == Visible()) return;
  if (visible)
    Show();
  else
    Hide();
}

void TForm::Close() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  if (!canClose) return;
  CloseAction action = CloseAction::Hide;
  if (OnClose) OnClose(this, action);
  if (action == CloseAction::None) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case CloseAction::Hide:
      Hide();
      break;
    case CloseAction::Minimize:
      ShowWindow(Handle(), SW_MINIMIZE);
      break;
    case CloseAction::Free:
      Release();
      break;
    case CloseAction::None:
      break;
  }
}

void TForm::Release() {
  if (!Owner()) {
    Hide();
    return;
  }
  releasePending_ = true;
  if (releasePosted_) return;
  releasePosted_ = PostMessageW(Handle(), ReleaseMessage(), 0, 0) != FALSE;
}

void TForm::DispatchFinished() {
  if (releasePending_ && !releasePosted_) releasePosted_ = PostMessageW(Handle(), ReleaseMessage(), 0, 0) != FALSE;
}

void TForm::FreeNow() {
  releasePending_ = false;
  // Nothing of this object may be touched once the owner has freed it.
  if (!Owner()->DeleteComponent(this)) Hide();
}

void TForm::HandleWindowMessage(WindowMessage& message) {
  if (message.Msg == ReleaseMessage() && ReleaseMessage() != 0) {
    releasePosted_ = false;
    // A handler of this form is still running further up (it called
    // ProcessMessages): the form goes when that handler has returned.
    if (releasePending_ && DispatchDepth() == 1) FreeNow();
    return;
  }
  switch (message.Msg) {
    case WM_CLOSE:
      Close();
      message.Result = 0;
      return;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
      if (minWidth_ > 0) info->ptMinTrackSize.x = minWidth_;
      if (minHeight_ > 0) info->ptMinTrackSize.y = minHeight_;
      message.Result = 0;
      return;
    }
    case WM_WINDOWPOSCHANGING: {
      // Programs' own SetBounds obey the minimum as the user's sizing does.
      auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
      if (!(pos->flags & SWP_NOSIZE)) {
        if (minWidth_ > 0 && pos->cx < minWidth_) pos->cx = minWidth_;
        if (minHeight_ > 0 && pos->cy < minHeight_) pos->cy = minHeight_;
      }
      break;
    }
    case WM_SHOWWINDOW:
      if (message.WParam && !shownReported_) {
        shownReported_ = true;
        if (OnShow) OnShow(this);
      } else if (!message.WParam) {
        shownReported_ = false;
      }
      break;
    default:
      break;
  }
  WindowedControl::HandleWindowMessage(message);
}

void TForm::PaintWindow(HDC) {
  if (OnPaint) OnPaint(this);
}

void TForm::Resized() {
  if (OnResize) OnResize(this);
}

void TForm::KeyDown(std::uint16_t& key, ShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TForm::SetBorderStyle(BorderKind border) {
  if (border == border_) return;
  border_ = border;
  LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
  style = (style & ~static_cast<LONG_PTR>(kBorderMask)) | BorderBits(border);
  SetWindowLongPtrW(Handle(), GWL_STYLE, style);
  ReframeWindow(Handle());
}

void TForm::SetStayOnTop(bool stayOnTop) {
  stayOnTop_ = stayOnTop;
  SetWindowTopmost(Handle(), stayOnTop);
}

void TForm::SetShowInTaskbar(bool show) {
  showInTaskbar_ = show;
  LONG_PTR exStyle = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  exStyle = show ? (exStyle | WS_EX_APPWINDOW) : (exStyle & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW));
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle);
}

void TForm::SetAlphaBlend(bool on) {
  alphaBlend_ = on;
  UpdateLayering();
}

void TForm::SetAlphaBlendValue(std::uint8_t value) {
  alphaValue_ = value;
  UpdateLayering();
}

void TForm::SetTransparentColor(bool on) {
  transparentColor_ = on;
  UpdateLayering();
}

void TForm::SetTransparentColorValue(ColourValue colour) {
  transparentValue_ = colour;
  UpdateLayering();
}

void TForm::UpdateLayering() {
  LONG_PTR exStyle = GetWindowLongPtrW(Handle(), GWL_EXSTYLE);
  if (!alphaBlend_ && !transparentColor_) {
    if (exStyle & WS_EX_LAYERED) {
      SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
      RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return;
  }
  if (!(exStyle & WS_EX_LAYERED)) SetWindowLongPtrW(Handle(), GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  DWORD flags = (alphaBlend_ ? LWA_ALPHA : 0) | (transparentColor_ ? LWA_COLORKEY : 0);
  SetLayeredWindowAttributes(Handle(), ToColorRef(transparentValue_), alphaBlend_ ? alphaValue_ : 255, flags);
}

void TForm::SetMinimumSize(int width, int height) {
  minWidth_ = width;
  minHeight_ = height;
  if ((minWidth_ > 0 && Width() < minWidth_) || (minHeight_ > 0 && Height() < minHeight_))
    SetBounds(Left(), Top(), std::max(Width(), minWidth_), std::max(Height(), minHeight_));
}

void TForm::SetIcon(HICON icon) {
  // The window keeps using the old icon until it has the new one.
  IconHandle copy(icon ? CopyIcon(icon) : nullptr);
  SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(copy.Get()));
  SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(copy.Get()));
  icon_ = std::move(copy);
}

}  // namespace forms
