#pragma once
// A control with a window of its own. Its messages pass, in this order,
// through the message filters (newest first), a handler registered for that
// message, the built-in handling, and DefaultHandler. Objects are found from
// their window through a process map, never through a pointer stored in the
// window, so code that subclasses the window with SetWindowLongPtr (and calls
// the previous procedure) changes nothing here.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "forms/Colours.h"
#include "forms/Control.h"
#include "forms/MessageFilter.h"

namespace forms {

class WindowedControl : public Control {
 public:
  ~WindowedControl() override;

  HWND Handle() const override { return handle_; }
  // The living object of one of our windows, or null.
  static WindowedControl* FromHandle(HWND window);

  void SetName(std::string name) override;
  std::string Caption() const override;
  void SetCaption(std::string caption) override;
  void SetBounds(int left, int top, int width, int height) override;
  bool Visible() const override;
  void SetVisible(bool visible) override;
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;
  void SetParent(WindowedControl* parent) override;
  void Invalidate() override;

  int ClientWidth() const;
  int ClientHeight() const;

  // The background fill; kColourNone leaves the background unpainted.
  ColourValue Color() const { return color_; }
  void SetColor(ColourValue color);

  FilterId AddMessageFilter(MessageFilter filter) { return filters_.Add(std::move(filter)); }
  void RemoveMessageFilter(FilterId id) { filters_.Remove(id); }

  // A handler for one message replaces the built-in handling of it; it may
  // call DefaultHandler itself. An empty handler removes the entry.
  using MessageHandler = std::function<void(WindowMessage& message)>;
  void SetMessageHandler(UINT message, MessageHandler handler);

  // Receives what no handler and no built-in handling answered. The default
  // is the window class's default procedure.
  virtual void DefaultHandler(WindowMessage& message);

  // The controls whose parent this is, bottom to top.
  const std::vector<Control*>& Controls() const { return controls_; }
  // The topmost visible control without a window at a client point.
  Control* ControlAtPoint(int x, int y) const;

  // Paints into a memory bitmap first and copies it at once: no flicker
  // while a background is drawn in pieces.
  bool DoubleBuffered = false;

  // The device context being painted, valid only while painting.
  HDC PaintingDC() const { return paintingDC_; }
  // Paints the whole client area (background, own content, windowless
  // controls) into a device context; WM_PAINT and WM_PRINTCLIENT use it.
  void PaintTo(HDC dc);

  // Shift, Ctrl and Alt as they are now.
  static ShiftState KeyboardShiftState();

  // How many of this window's messages are being handled, nested.
  int DispatchDepth() const { return dispatchDepth_; }

 protected:
  explicit WindowedControl(TComponent* owner);

  // Creates the window, registering the class under that name the first
  // time. `parentOrOwner` is the parent for WS_CHILD windows, else the owner.
  void CreateHandle(const std::string& className, DWORD style, DWORD exStyle, HWND parentOrOwner,
                    const std::string& caption, const Bounds& bounds);

  virtual void HandleWindowMessage(WindowMessage& message);
  // Paints the window's own content after the background fill.
  virtual void PaintWindow(HDC dc) {}
  virtual void Resized() {}
  // The background colour changed (a system control takes it here).
  virtual void ColorChanged() {}
  virtual void KeyDown(std::uint16_t& key, ShiftState shift) {}
  // Runs once the outermost message of this window has been handled.
  virtual void DispatchFinished() {}

  // Creates a child window of a class the system provides (list box,
  // progress bar) under `parent`, with a control identifier of its own. The
  // class's procedure becomes DefaultHandler; it paints the window and sees
  // input before the mouse events fire, so that they find its state (a
  // list's selection) already updated.
  void CreateSystemHandle(const wchar_t* className, DWORD style, DWORD exStyle, WindowedControl* parent,
                          const Bounds& bounds);

  // A message about this control that the system sends to its parent
  // (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_CTLCOLORLISTBOX), handed back by
  // the parent. True when answered, in Result.
  virtual bool ParentNotification(WindowMessage& message) { return false; }

  // Drops the message handlers: a form's derived part, which they call, is
  // gone once the form's own destructor runs.
  void ClearMessageHandlers() { handlers_.clear(); }

 private:
  friend class Control;
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam);
  void Dispatch(WindowMessage& message);
  void RouteMouse(WindowMessage& message);
  WindowedControl* NotifyingChild(const WindowMessage& message) const;
  void UpdateBoundsFromWindow();
  void PaintBuffered(HDC dc);
  void InsertControl(Control* control);
  void RemoveControl(Control* control);
  void Forget();

  HWND handle_ = nullptr;
  WNDPROC defaultProcedure_ = DefWindowProcW;
  bool systemClass_ = false;
  MessageFilterChain filters_;
  std::unordered_map<UINT, MessageHandler> handlers_;
  std::vector<Control*> controls_;
  Control* mouseTarget_ = nullptr;
  bool pressedOnSelf_ = false;
  HDC paintingDC_ = nullptr;
  ColourValue color_ = kColourButtonFace;
  int dispatchDepth_ = 0;
  // Cleared by the destructor: a message whose handling freed the object
  // must not touch it afterwards.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Adds a filter to a window's chain for its own lifetime and removes it
// then, if the window's object still exists.
class ScopedMessageFilter {
 public:
  ScopedMessageFilter() = default;
  ScopedMessageFilter(WindowedControl* control, MessageFilter filter);
  ~ScopedMessageFilter() { Reset(); }
  ScopedMessageFilter(ScopedMessageFilter&& other) noexcept;
  ScopedMessageFilter& operator=(ScopedMessageFilter&& other) noexcept;
  void Reset();
  bool Active() const { return window_ != nullptr; }

 private:
  HWND window_ = nullptr;
  FilterId id_ = 0;
};

}  // namespace forms
