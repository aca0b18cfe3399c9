#include "forms/WindowedControl.h"

#include <windowsx.h>

#include <algorithm>
#include <set>
#include <utility>

#include "base/Exception.h"
#include "forms/Dispatch.h"
#include "forms/GdiObject.h"
#include "forms/NameProperty.h"
#include "forms/Wide.h"

namespace forms {

namespace {

std::unordered_map<HWND, WindowedControl*>& Living() {
  static std::unordered_map<HWND, WindowedControl*> living;
  return living;
}

// The object whose window is being created: top-level windows receive
// WM_GETMINMAXINFO before WM_NCCREATE carries the creation parameter.
WindowedControl* creating = nullptr;

void RegisterClassOnce(const std::wstring& className, WNDPROC procedure) {
  static std::set<std::wstring> registered;
  if (registered.count(className)) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = className.c_str();
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw sv::Exception("Cannot register the window class " + narrow(className));
  registered.insert(className);
}

struct PaintingScope {
  HDC& slot;
  HDC previous;
  PaintingScope(HDC& s, HDC dc) : slot(s), previous(s) { slot = dc; }
  ~PaintingScope() { slot = previous; }
};

struct PaintStructScope {
  HWND window;
  PAINTSTRUCT ps{};
  HDC dc;
  explicit PaintStructScope(HWND w) : window(w), dc(BeginPaint(w, &ps)) {}
  ~PaintStructScope() { EndPaint(window, &ps); }
};

MouseButton ButtonOf(UINT message) {
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return MouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
      return MouseButton::Middle;
    default:
      return MouseButton::Left;
  }
}

ShiftState MouseShiftState(WPARAM keys) {
  ShiftState shift = 0;
  if (keys & MK_SHIFT) shift |= kShiftKey;
  if (keys & MK_CONTROL) shift |= kCtrlKey;
  if (keys & MK_LBUTTON) shift |= kLeftButton;
  if (keys & MK_RBUTTON) shift |= kRightButton;
  if (keys & MK_MBUTTON) shift |= kMiddleButton;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltKey;
  return shift;
}

bool Contains(const Bounds& b, int x, int y) {
  return x >= b.Left && y >= b.Top && x < b.Left + b.Width && y < b.Top + b.Height;
}

}  // namespace

WindowedControl::WindowedControl(TComponent* owner) : Control(owner) {}

WindowedControl::~WindowedControl() {
  // Components go first: the tray and the snapping component unhook this
  // window in their destructors, so it must still exist then.
  BeginDestruction();
  for (Control* control : controls_) control->parent_ = nullptr;
  controls_.clear();
  *alive_ = false;
  if (!handle_) return;
  HWND window = handle_;
  RemoveNameProperty(window);
  Forget();
  // The class frees its own data while the window is destroyed.
  if (systemClass_) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defaultProcedure_));
  DestroyWindow(window);
}

void WindowedControl::Forget() {
  Living().erase(handle_);
  handle_ = nullptr;
}

WindowedControl* WindowedControl::FromHandle(HWND window) {
  auto found = Living().find(window);
  return found == Living().end() ? nullptr : found->second;
}

void WindowedControl::CreateHandle(const std::string& className, DWORD style, DWORD exStyle, HWND parentOrOwner,
                                   const std::string& caption, const Bounds& bounds) {
  std::wstring wideClass = widen(className);
  RegisterClassOnce(wideClass, &WindowedControl::Procedure);
  bounds_ = bounds;
  WindowedControl* outer = std::exchange(creating, this);
  HWND window = CreateWindowExW(exStyle, wideClass.c_str(), widen(caption).c_str(), style, bounds.Left, bounds.Top,
                                bounds.Width, bounds.Height, parentOrOwner, nullptr, GetModuleHandleW(nullptr), this);
  creating = outer;
  if (!window) {
    if (handle_) Forget();
    throw sv::Exception("Cannot create the window " + className);
  }
  SetNameProperty(window, Name());
  UpdateBoundsFromWindow();
}

void WindowedControl::CreateSystemHandle(const wchar_t* className, DWORD style, DWORD exStyle, WindowedControl* parent,
                                         const Bounds& bounds) {
  // Identifiers only tell the children of one parent apart; a wrap after
  // tens of thousands of controls is harmless.
  static WORD nextIdentifier = 0;
  nextIdentifier = static_cast<WORD>(nextIdentifier % 0xF000 + 1);
  bounds_ = bounds;
  HWND window = CreateWindowExW(exStyle, className, L"", style | WS_CHILD, bounds.Left, bounds.Top, bounds.Width,
                                bounds.Height, parent ? parent->Handle() : nullptr,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextIdentifier)),
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) throw sv::Exception("Cannot create the window " + narrow(className));
  handle_ = window;
  Living()[window] = this;
  systemClass_ = true;
  defaultProcedure_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowedControl::Procedure)));
  SetNameProperty(window, Name());
  UpdateBoundsFromWindow();
  if (parent) SetParent(parent);
}

LRESULT CALLBACK WindowedControl::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowedControl* self = FromHandle(window);
  if (!self && creating && !creating->handle_) {
    self = creating;
    self->handle_ = window;
    Living()[window] = self;
  }
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  return self->Route(message, wParam, lParam);
}

LRESULT WindowedControl::Route(UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<bool> alive = alive_;
  WindowMessage m{message, wParam, lParam, 0};
  ++dispatchDepth_;
  Guarded([&] { Dispatch(m); });
  if (!*alive) return m.Result;
  if (--dispatchDepth_ == 0) Guarded([&] { DispatchFinished(); });
  if (*alive && message == WM_NCDESTROY && handle_) {
    // Destroyed from outside, with its parent window: the object stays.
    RemoveNameProperty(handle_);
    Forget();
  }
  return m.Result;
}

void WindowedControl::Dispatch(WindowMessage& message) {
  if (filters_.Run(message)) return;
  auto handler = handlers_.find(message.Msg);
  if (handler != handlers_.end()) {
    MessageHandler run = handler->second;
    run(message);
    return;
  }
  HandleWindowMessage(message);
}

void WindowedControl::SetMessageHandler(UINT message, MessageHandler handler) {
  if (handler)
    handlers_[message] = std::move(handler);
  else
    handlers_.erase(message);
}

void WindowedControl::DefaultHandler(WindowMessage& message) {
  if (!handle_) return;
  message.Result = CallWindowProcW(defaultProcedure_, handle_, message.Msg, message.WParam, message.LParam);
}

void WindowedControl::HandleWindowMessage(WindowMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORLISTBOX:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
      if (WindowedControl* child = NotifyingChild(message); child && child->ParentNotification(message)) return;
      break;
    case WM_PAINT: {
      if (systemClass_) break;
      PaintStructScope paint(handle_);
      if (DoubleBuffered) {
        PaintBuffered(paint.dc);
      } else {
        PaintTo(paint.dc);
      }
      message.Result = 0;
      return;
    }
    case WM_PRINTCLIENT:
      if (systemClass_) break;
      PaintTo(reinterpret_cast<HDC>(message.WParam));
      message.Result = 0;
      return;
    case WM_ERASEBKGND:
      if (systemClass_) break;
      // PaintTo fills the background itself, without flicker.
      message.Result = 1;
      return;
    case WM_WINDOWPOSCHANGED:
      UpdateBoundsFromWindow();
      break;
    case WM_SIZE:
      UpdateBoundsFromWindow();
      Resized();
      break;
    case WM_CAPTURECHANGED:
      mouseTarget_ = nullptr;
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto key = static_cast<std::uint16_t>(message.WParam);
      KeyDown(key, KeyboardShiftState());
      if (key == 0) {
        message.Result = 0;
        return;
      }
      message.WParam = key;
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE: {
      std::shared_ptr<bool> alive = alive_;
      if (systemClass_) {
        DefaultHandler(message);
        if (*alive) RouteMouse(message);
        return;
      }
      RouteMouse(message);
      if (!*alive) return;
      break;
    }
    default:
      break;
  }
  DefaultHandler(message);
}

void WindowedControl::RouteMouse(WindowMessage& message) {
  int x = GET_X_LPARAM(message.LParam);
  int y = GET_Y_LPARAM(message.LParam);
  ShiftState shift = MouseShiftState(message.WParam);
  MouseButton button = ButtonOf(message.Msg);
  std::shared_ptr<bool> alive = alive_;
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      if (Control* target = mouseTarget_ ? mouseTarget_ : ControlAtPoint(x, y))
        target->MouseMove(shift, x - target->Left(), y - target->Top());
      else
        MouseMove(shift, x, y);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      if (message.Msg == WM_LBUTTONDBLCLK || message.Msg == WM_RBUTTONDBLCLK || message.Msg == WM_MBUTTONDBLCLK)
        shift |= kDoubleClick;
      Control* target = mouseTarget_ ? mouseTarget_ : ControlAtPoint(x, y);
      if (target) {
        if (!mouseTarget_) {
          mouseTarget_ = target;
          SetCapture(handle_);
        }
        target->MouseDown(button, shift, x - target->Left(), y - target->Top());
      } else {
        pressedOnSelf_ = button == MouseButton::Left;
        MouseDown(button, shift, x, y);
      }
      return;
    }
    default: {  // a button released
      Control* target = mouseTarget_;
      if (target) {
        if (!(shift & (kLeftButton | kRightButton | kMiddleButton))) {
          mouseTarget_ = nullptr;
          if (GetCapture() == handle_) ReleaseCapture();
        }
        bool inside = Contains(target->BoundsRect(), x, y);
        target->MouseUp(button, shift, x - target->Left(), y - target->Top());
        // The handler may have freed the control.
        if (*alive && button == MouseButton::Left && inside &&
            std::find(controls_.begin(), controls_.end(), target) != controls_.end())
          target->Click();
      } else {
        bool click = pressedOnSelf_ && button == MouseButton::Left;
        pressedOnSelf_ = false;
        MouseUp(button, shift, x, y);
        if (*alive && click) Click();
      }
      return;
    }
  }
}

WindowedControl* WindowedControl::NotifyingChild(const WindowMessage& message) const {
  HWND child = nullptr;
  switch (message.Msg) {
    case WM_NOTIFY:
      if (const auto* header = reinterpret_cast<const NMHDR*>(message.LParam)) child = header->hwndFrom;
      break;
    case WM_DRAWITEM:
      // A menu's item carries a menu handle there, not a window.
      if (const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam); draw && draw->CtlType != ODT_MENU)
        child = draw->hwndItem;
      break;
    default:  // WM_COMMAND from a control, WM_CTLCOLOR...
      child = reinterpret_cast<HWND>(message.LParam);
      break;
  }
  if (!child) return nullptr;
  WindowedControl* control = FromHandle(child);
  return control && control->parent_ == this ? control : nullptr;
}

Control* WindowedControl::ControlAtPoint(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    Control* control = *it;
    if (!control->Windowed() && control->Visible() && control->Enabled() && Contains(control->BoundsRect(), x, y))
      return control;
  }
  return nullptr;
}

void WindowedControl::PaintTo(HDC dc) {
  PaintingScope scope(paintingDC_, dc);
  RECT client{};
  GetClientRect(handle_, &client);
  if (color_ != kColourNone) {
    HBRUSH brush = CreateSolidBrush(ToColorRef(color_));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
  }
  PaintWindow(dc);
  std::vector<Control*> controls = controls_;
  for (Control* control : controls) {
    if (control->Windowed() || !control->Visible()) continue;
    int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, control->Left(), control->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
    control->Paint(dc);
    RestoreDC(dc, saved);
  }
}

void WindowedControl::PaintBuffered(HDC dc) {
  RECT client{};
  GetClientRect(handle_, &client);
  if (client.right <= 0 || client.bottom <= 0) return;
  OffscreenDC memory;
  BitmapHandle bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (!memory.Get() || !bitmap) {
    PaintTo(dc);
    return;
  }
  HGDIOBJ old = SelectObject(memory.Get(), bitmap.Get());
  PaintTo(memory.Get());
  BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
  SelectObject(memory.Get(), old);
}

void WindowedControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  RECT r{};
  GetWindowRect(handle_, &r);
  if (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD)
    MapWindowPoints(HWND_DESKTOP, GetParent(handle_), reinterpret_cast<POINT*>(&r), 2);
  bounds_ = {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void WindowedControl::SetName(std::string name) {
  Control::SetName(std::move(name));
  if (handle_) SetNameProperty(handle_, Name());
}

std::string WindowedControl::Caption() const {
  if (!handle_) return caption_;
  int length = GetWindowTextLengthW(handle_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(handle_, text.data(), length + 1)));
  return narrow(text);
}

void WindowedControl::SetCaption(std::string caption) {
  caption_ = std::move(caption);
  if (handle_) SetWindowTextW(handle_, widen(caption_).c_str());
}

void WindowedControl::SetBounds(int left, int top, int width, int height) {
  bounds_ = {left, top, width, height};
  if (handle_) SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool WindowedControl::Visible() const { return handle_ && (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_VISIBLE) != 0; }

void WindowedControl::SetVisible(bool visible) {
  visible_ = visible;
  if (handle_ && visible != Visible()) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

bool WindowedControl::Enabled() const { return handle_ && IsWindowEnabled(handle_); }

void WindowedControl::SetEnabled(bool enabled) {
  enabled_ = enabled;
  if (handle_) EnableWindow(handle_, enabled);
}

void WindowedControl::SetParent(WindowedControl* parent) {
  Control::SetParent(parent);
  if (handle_ && (GetWindowLongPtrW(handle_, GWL_STYLE) & WS_CHILD))
    ::SetParent(handle_, parent ? parent->Handle() : nullptr);
}

void WindowedControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

int WindowedControl::ClientWidth() const {
  RECT r{};
  GetClientRect(handle_, &r);
  return r.right - r.left;
}

int WindowedControl::ClientHeight() const {
  RECT r{};
  GetClientRect(handle_, &r);
  return r.bottom - r.top;
}

void WindowedControl::SetColor(ColourValue color) {
  if (color == color_) return;
  color_ = color;
  ColorChanged();
  Invalidate();
}

void WindowedControl::InsertControl(Control* control) {
  controls_.push_back(control);
  control->parent_ = this;
}

void WindowedControl::RemoveControl(Control* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (mouseTarget_ == control) mouseTarget_ = nullptr;
  control->parent_ = nullptr;
}

ShiftState WindowedControl::KeyboardShiftState() {
  ShiftState shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= kShiftKey;
  if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrlKey;
  if (GetKeyState(VK_MENU) < 0) shift |= kAltKey;
  return shift;
}

ScopedMessageFilter::ScopedMessageFilter(WindowedControl* control, MessageFilter filter) {
  if (!control || !control->Handle()) return;
  window_ = control->Handle();
  id_ = control->AddMessageFilter(std::move(filter));
}

ScopedMessageFilter::ScopedMessageFilter(ScopedMessageFilter&& other) noexcept
    : window_(std::exchange(other.window_, nullptr)), id_(std::exchange(other.id_, 0)) {}

ScopedMessageFilter& ScopedMessageFilter::operator=(ScopedMessageFilter&& other) noexcept {
  if (this != &other) {
    Reset();
    window_ = std::exchange(other.window_, nullptr);
    id_ = std::exchange(other.id_, 0);
  }
  return *this;
}

void ScopedMessageFilter::Reset() {
  if (!window_) return;
  if (WindowedControl* control = WindowedControl::FromHandle(window_)) control->RemoveMessageFilter(id_);
  window_ = nullptr;
  id_ = 0;
}

}  // namespace forms
