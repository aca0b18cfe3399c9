#pragma once
// An icon in the taskbar's notification area: tip, balloons, icon cycling
// from an image list, a popup menu, mouse events with clicks and double
// clicks told apart, enter and exit events, and minimizing the owner form
// to the tray. All tray icons of the process share one hidden window that
// receives the shell's notifications; each icon is known there by a small
// number, so a stale or forged notification finds nothing.
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "forms/Colours.h"
#include "forms/Component.h"
#include "forms/Events.h"
#include "forms/IconImage.h"
#include "forms/MessageFilter.h"
#include "forms/WindowedControl.h"

namespace forms {
class PixelBitmap;
class ShortcutMenu;
class SmallImageList;
}  // namespace forms

namespace desktop {

class TSimpleTimer;

using TCycleEvent = std::function<void(forms::TComponent* Sender, int NextIndex)>;
using TStartupEvent = std::function<void(forms::TComponent* Sender, bool& ShowMainForm)>;

// The shell call every tray icon goes through; tests put a recorder here.
using ShellNotifyFunction = std::function<BOOL(DWORD message, NOTIFYICONDATAW* data)>;
// Installs a replacement (empty: the real Shell_NotifyIconW) and returns the
// previous one.
ShellNotifyFunction SetShellNotifyFunction(ShellNotifyFunction function);

// The message the shell's notifications arrive with.
inline constexpr UINT kTrayCallbackMessage = 0x800;

class TTrayIcon : public forms::TComponent {
 public:
  explicit TTrayIcon(forms::TComponent* owner);
  ~TTrayIcon() override;

  // Mouse input is handled only while this is true; balloon events always.
  bool Enabled = true;
  bool LeftPopup = false;
  bool MinimizeToTray = false;

  forms::IconImage& Icon() { return icon_; }
  // Copies the icon, then updates the tray once.
  void SetIcon(const forms::IconImage& icon);

  bool IconVisible() const { return iconVisible_; }
  void SetIconVisible(bool visible);

  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool show);

  forms::ShortcutMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(forms::ShortcutMenu* menu);

  forms::SmallImageList* IconList() const { return iconList_; }
  // Also sets IconIndex to 0.
  void SetIconList(forms::SmallImageList* list);
  int IconIndex() const { return iconIndex_; }
  // Lowered to the list's last index; the image there becomes the icon.
  void SetIconIndex(int index);
  bool CycleIcons() const { return cycleIcons_; }
  void SetCycleIcons(bool cycle);
  std::uint32_t CycleInterval() const { return cycleInterval_; }
  void SetCycleInterval(std::uint32_t milliseconds);

  bool WantEnterExitEvents() const { return wantEnterExit_; }
  void SetWantEnterExitEvents(bool want);

  virtual bool AddTrayIcon();
  virtual bool RemoveTrayIcon();
  virtual bool UpdateTrayIcon();

  // IconType: 0 none, 1 information, 2 warning, 3 error, 4 user icon. The
  // component removes the balloon itself after timeoutMs.
  bool ShowBalloon(std::string_view Title, std::string_view Text, int IconType, std::uint16_t TimeoutMs);
  bool HideBalloon();

  void HideTaskbarButton();
  void HideOwnerForm();
  // Makes `icon` the bitmap's 16x16 image with pixels of `maskColor`
  // transparent (kColourNone: an opaque square).
  static bool MakeMaskedIcon(const forms::PixelBitmap& bitmap, forms::IconImage& icon, forms::ColourValue maskColor);

  void ShowMenuAt(int X, int Y);
  void ShowMenuAtCursor();

  // The number the shell knows this icon by.
  std::uint32_t Identifier() const { return identifier_; }

  forms::TNotifyEvent OnClick;
  forms::TNotifyEvent OnDblClick;
  forms::MouseEvent OnMouseDown;
  forms::MouseEvent OnMouseUp;
  forms::MouseMoveEvent OnMouseMove;
  forms::TNotifyEvent OnMouseEnter;
  forms::TNotifyEvent OnMouseExit;
  TCycleEvent OnCycle;
  forms::TNotifyEvent OnBalloonHintShow;
  forms::TNotifyEvent OnBalloonHintHide;
  forms::TNotifyEvent OnBalloonHintTimeout;
  forms::TNotifyEvent OnBalloonHintClick;
  forms::TNotifyEvent OnMinimizeToTray;
  TStartupEvent OnStartup;

 protected:
  void Loaded() override;
  void Notification(forms::TComponent* component, forms::ComponentOperation operation) override;

  virtual void Click();
  virtual void DblClick();
  virtual void Cycle(int NextIndex);
  virtual void MouseDown(forms::MouseButton button, forms::ShiftState shift, int x, int y);
  virtual void MouseUp(forms::MouseButton button, forms::ShiftState shift, int x, int y);
  virtual void MouseMove(forms::ShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseExit();
  virtual void MinimizeOwnerToTray();

 private:
  friend class TrayNotifications;

  bool Notify(DWORD message);
  void FillRecord();
  void HandleNotification(LPARAM event);
  void HandleMouse(UINT message);
  void ClickTimerFired();
  void BalloonTimerFired();
  void CycleTimerFired();
  void EnterExitTimerFired();
  bool ApplicationHook(forms::WindowMessage& message);
  bool OwnerFilter(forms::WindowMessage& message);
  forms::WindowedControl* WindowedOwner() const;
  void SetBalloonFlag(bool on);

  std::uint32_t identifier_;
  forms::IconImage icon_;
  bool iconVisible_ = false;
  std::string hint_;
  bool showHint_ = true;
  forms::ShortcutMenu* popupMenu_ = nullptr;
  forms::SmallImageList* iconList_ = nullptr;
  int iconIndex_ = 0;
  bool cycleIcons_ = false;
  std::uint32_t cycleInterval_ = 0;
  bool wantEnterExit_ = false;

  bool leftButtonDown_ = false;
  bool clickPending_ = false;
  bool doubleClickSeen_ = false;
  bool cursorOutside_ = true;
  bool startupPending_ = true;
  POINT lastCursor_{0, 0};

  std::unique_ptr<TSimpleTimer> cycleTimer_;
  std::unique_ptr<TSimpleTimer> clickTimer_;
  std::unique_ptr<TSimpleTimer> balloonTimer_;
  std::unique_ptr<TSimpleTimer> enterExitTimer_;

  forms::FilterId applicationHook_ = 0;
  forms::ScopedMessageFilter ownerFilter_;
  NOTIFYICONDATAW record_{};
};

// The shared notification window, or null while no tray icon exists.
HWND TrayIconSharedWindow();
// The message number of the shell's "TaskbarCreated" broadcast.
UINT TaskbarCreatedMessage();
// Copies at most `limit` UTF-16 units of `text` into `target` (of
// `capacity` units, capacity > limit), never splitting a surrogate pair,
// and zeroes the rest of the buffer.
void CopyLimitedText(std::wstring_view text, std::size_t limit, wchar_t* target, std::size_t capacity);

}  // namespace desktop
