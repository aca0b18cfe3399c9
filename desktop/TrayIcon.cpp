#include "desktop/TrayIcon.h"

#include <algorithm>
#include <map>
#include <vector>

#include "desktop/SimpleTimer.h"
#include "forms/Application.h"
#include "forms/PixelBitmap.h"
#include "forms/ShortcutMenu.h"
#include "forms/SmallImageList.h"
#include "forms/UtilityWindow.h"
#include "forms/Wide.h"

namespace desktop {

namespace {
constexpr UINT kBaseFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr std::size_t kTipLimit = 127;
constexpr std::size_t kBalloonTextLimit = 255;
constexpr std::size_t kBalloonTitleLimit = 63;
constexpr UINT kShellBalloonTimeout = 60000;

ShellNotifyFunction& ShellFunction() {
  static ShellNotifyFunction function;
  return function;
}

bool KeyDown(int key) { return (GetAsyncKeyState(key) & 0x8000) != 0; }

forms::ShiftState AsyncShiftState() {
  forms::ShiftState shift = 0;
  if (KeyDown(VK_SHIFT)) shift |= forms::kShiftKey;
  if (KeyDown(VK_CONTROL)) shift |= forms::kCtrlKey;
  if (KeyDown(VK_MENU)) shift |= forms::kAltKey;
  return shift;
}
}  // namespace

ShellNotifyFunction SetShellNotifyFunction(ShellNotifyFunction function) {
  return std::exchange(ShellFunction(), std::move(function));
}

UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
  return message;
}

void CopyLimitedText(std::wstring_view text, std::size_t limit, wchar_t* target, std::size_t capacity) {
  std::size_t count = std::min({text.size(), limit, capacity - 1});
  if (count < text.size() && count > 0 && IS_HIGH_SURROGATE(text[count - 1])) --count;
  std::fill(target, target + capacity, L'\0');
  std::copy_n(text.data(), count, target);
}

// The shared window and the living tray icons by number. The window lives
// from the first icon's creation to the last one's destruction.
class TrayNotifications {
 public:
  static TrayNotifications* Instance() { return instance_.get(); }

  static std::uint32_t Register(TTrayIcon* icon) {
    if (!instance_) instance_ = std::make_unique<TrayNotifications>();
    std::uint32_t id;
    do {
      id = instance_->nextId_++;
    } while (id == 0 || instance_->icons_.count(id));
    instance_->icons_[id] = icon;
    return id;
  }

  static void Unregister(std::uint32_t id) {
    if (!instance_) return;
    instance_->icons_.erase(id);
    if (instance_->icons_.empty()) instance_.reset();
  }

  static TTrayIcon* Find(std::uint32_t id) {
    if (!instance_) return nullptr;
    auto found = instance_->icons_.find(id);
    return found == instance_->icons_.end() ? nullptr : found->second;
  }

  HWND Window() const { return window_.Handle(); }

  TrayNotifications()
      : window_([this](UINT message, WPARAM wParam, LPARAM lParam) { return Handle(message, wParam, lParam); }) {
    TaskbarCreatedMessage();
  }

 private:
  // Nothing here may touch this object after an icon's handler ran: the
  // handler may have freed the last icon, and this object with it.
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayCallbackMessage) {
      if (wParam <= 0xFFFFFFFFu) {
        if (TTrayIcon* icon = Find(static_cast<std::uint32_t>(wParam))) icon->HandleNotification(lParam);
      }
      return 0;
    }
    if (message == TaskbarCreatedMessage()) {
      ReAddVisibleIcons();
      return 0;
    }
    switch (message) {
      case WM_DESTROY:
      case WM_CLOSE:
      case WM_QUERYENDSESSION:
      case WM_QUIT:
      case WM_ENDSESSION:
      case WM_NCDESTROY:
        // The hidden window neither closes nor delays a shutdown.
        return 1;
      default:
        return window_.DefaultHandle(message, wParam, lParam);
    }
  }

  // A re-created taskbar has none of our icons: the visible ones go back.
  static void ReAddVisibleIcons() {
    if (!instance_) return;
    std::vector<std::uint32_t> ids;
    for (const auto& entry : instance_->icons_) ids.push_back(entry.first);
    for (std::uint32_t id : ids) {
      TTrayIcon* icon = Find(id);
      if (icon && icon->IconVisible()) icon->AddTrayIcon();
    }
  }

  static std::unique_ptr<TrayNotifications> instance_;
  forms::UtilityWindow window_;
  std::map<std::uint32_t, TTrayIcon*> icons_;
  std::uint32_t nextId_ = 1;
};

std::unique_ptr<TrayNotifications> TrayNotifications::instance_;

HWND TrayIconSharedWindow() {
  TrayNotifications* notifications = TrayNotifications::Instance();
  return notifications ? notifications->Window() : nullptr;
}

TTrayIcon::TTrayIcon(forms::TComponent* owner) : TComponent(owner), identifier_(TrayNotifications::Register(this)) {
  icon_.OnChange = [this] { UpdateTrayIcon(); };
  record_.cbSize = sizeof(record_);
  record_.hWnd = TrayIconSharedWindow();
  record_.uID = identifier_;
  record_.uFlags = kBaseFlags;
  record_.uCallbackMessage = kTrayCallbackMessage;

  cycleTimer_ = std::make_unique<TSimpleTimer>(1000, [this](TSimpleTimer*) { CycleTimerFired(); });
  clickTimer_ = std::make_unique<TSimpleTimer>(1000, [this](TSimpleTimer*) { ClickTimerFired(); });
  clickTimer_->OneShot = true;
  balloonTimer_ = std::make_unique<TSimpleTimer>(1000, [this](TSimpleTimer*) { BalloonTimerFired(); });
  balloonTimer_->OneShot = true;
  enterExitTimer_ = std::make_unique<TSimpleTimer>(20, [this](TSimpleTimer*) { EnterExitTimerFired(); });

  if (forms::Application)
    applicationHook_ = forms::Application->HookMainWindow([this](forms::WindowMessage& m) { return ApplicationHook(m); });
  if (forms::WindowedControl* form = WindowedOwner())
    ownerFilter_ = forms::ScopedMessageFilter(form, [this](forms::WindowMessage& m) { return OwnerFilter(m); });
}

TTrayIcon::~TTrayIcon() {
  SetIconVisible(false);
  cycleTimer_.reset();
  clickTimer_.reset();
  balloonTimer_.reset();
  enterExitTimer_.reset();
  icon_.OnChange = nullptr;
  if (forms::Application) forms::Application->UnhookMainWindow(applicationHook_);
  ownerFilter_.Reset();
  TrayNotifications::Unregister(identifier_);
}

forms::WindowedControl* TTrayIcon::WindowedOwner() const { return dynamic_cast<forms::WindowedControl*>(Owner()); }

bool TTrayIcon::Notify(DWORD message) {
  const ShellNotifyFunction& function = ShellFunction();
  if (function) return function(message, &record_) != FALSE;
  return Shell_NotifyIconW(message, &record_) != FALSE;
}

void TTrayIcon::FillRecord() {
  record_.hIcon = icon_.Handle();
  if (hint_.empty() || !showHint_)
    std::fill(std::begin(record_.szTip), std::end(record_.szTip), L'\0');
  else
    CopyLimitedText(forms::widen(hint_), kTipLimit, record_.szTip, std::size(record_.szTip));
}

bool TTrayIcon::AddTrayIcon() {
  iconVisible_ = true;
  FillRecord();
  return Notify(NIM_ADD);
}

bool TTrayIcon::RemoveTrayIcon() {
  iconVisible_ = false;
  return Notify(NIM_DELETE);
}

bool TTrayIcon::UpdateTrayIcon() {
  FillRecord();
  return Notify(NIM_MODIFY);
}

void TTrayIcon::SetIcon(const forms::IconImage& icon) {
  icon_.AssignQuietly(icon);
  UpdateTrayIcon();
}

void TTrayIcon::SetIconVisible(bool visible) {
  if (visible)
    AddTrayIcon();
  else
    RemoveTrayIcon();
}

void TTrayIcon::SetHint(std::string hint) {
  hint_ = std::move(hint);
  UpdateTrayIcon();
}

void TTrayIcon::SetShowHint(bool show) {
  showHint_ = show;
  UpdateTrayIcon();
}

void TTrayIcon::SetPopupMenu(forms::ShortcutMenu* menu) {
  if (popupMenu_ == menu) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TTrayIcon::SetIconList(forms::SmallImageList* list) {
  if (iconList_ != list) {
    if (iconList_) iconList_->RemoveFreeNotification(this);
    iconList_ = list;
    if (list) list->FreeNotification(this);
  }
  SetIconIndex(0);
}

void TTrayIcon::SetIconIndex(int index) {
  if (iconList_) {
    iconIndex_ = std::min(index, iconList_->Count() - 1);
    // An empty list or a negative index has no image: the icon stays.
    if (forms::IconHandle image = iconList_->GetIcon(iconIndex_)) icon_.TakeHandleQuietly(std::move(image));
  } else {
    iconIndex_ = 0;
  }
  UpdateTrayIcon();
}

void TTrayIcon::SetCycleIcons(bool cycle) {
  cycleIcons_ = cycle;
  if (cycle) {
    SetIconIndex(0);
    cycleTimer_->SetInterval(cycleInterval_);
    cycleTimer_->SetEnabled(true);
  } else {
    cycleTimer_->SetEnabled(false);
  }
}

void TTrayIcon::SetCycleInterval(std::uint32_t milliseconds) {
  if (milliseconds == cycleInterval_) return;
  cycleInterval_ = milliseconds;
  SetCycleIcons(cycleIcons_);
}

void TTrayIcon::SetWantEnterExitEvents(bool want) {
  wantEnterExit_ = want;
  enterExitTimer_->SetEnabled(want);
}

void TTrayIcon::SetBalloonFlag(bool on) { record_.uFlags = on ? kBaseFlags | NIF_INFO : kBaseFlags; }

bool TTrayIcon::ShowBalloon(std::string_view Title, std::string_view Text, int IconType, std::uint16_t TimeoutMs) {
  HideBalloon();
  SetBalloonFlag(true);
  CopyLimitedText(forms::widen(Text), kBalloonTextLimit, record_.szInfo, std::size(record_.szInfo));
  CopyLimitedText(forms::widen(Title), kBalloonTitleLimit, record_.szInfoTitle, std::size(record_.szInfoTitle));
  record_.uTimeout = kShellBalloonTimeout;
  record_.dwInfoFlags = (IconType >= 0 && IconType <= 4) ? static_cast<DWORD>(IconType) : 0;
  bool result = UpdateTrayIcon();
  SetBalloonFlag(false);
  balloonTimer_->SetInterval(TimeoutMs);
  balloonTimer_->SetEnabled(true);
  return result;
}

bool TTrayIcon::HideBalloon() {
  SetBalloonFlag(true);
  std::fill(std::begin(record_.szInfo), std::end(record_.szInfo), L'\0');
  bool result = UpdateTrayIcon();
  // Later tip updates must not carry an empty-balloon request each time.
  SetBalloonFlag(false);
  return result;
}

void TTrayIcon::BalloonTimerFired() { HideBalloon(); }

void TTrayIcon::HideTaskbarButton() {
  if (!forms::Application) return;
  HWND window = forms::Application->Handle();
  if (IsWindowVisible(window)) ShowWindow(window, SW_HIDE);
}

void TTrayIcon::HideOwnerForm() {
  if (!WindowedOwner() || !forms::Application || !forms::Application->MainForm()) return;
  forms::Application->MainForm()->Hide();
  HideTaskbarButton();
}

void TTrayIcon::MinimizeOwnerToTray() {
  HideOwnerForm();
  SetIconVisible(true);
}

bool TTrayIcon::MakeMaskedIcon(const forms::PixelBitmap& bitmap, forms::IconImage& icon,
                               forms::ColourValue maskColor) {
  forms::SmallImageList list(nullptr);
  int index = list.AddMasked(bitmap.Handle(), maskColor);
  icon.TakeHandle(list.GetIcon(index));
  return true;
}

void TTrayIcon::ShowMenuAt(int X, int Y) {
  if (!popupMenu_) return;
  HWND window = TrayIconSharedWindow();
  SetForegroundWindow(window);
  const std::uint32_t id = identifier_;
  if (forms::Application) forms::Application->ProcessMessages();
  // Handlers that ran meanwhile may have freed this icon or its menu.
  if (TrayNotifications::Find(id) != this || !popupMenu_) return;
  forms::ShortcutMenu* menu = popupMenu_;
  menu->SetPopupComponent(this);
  menu->Popup(X, Y, window);
  if (TrayNotifications::Find(id) != this) return;
  if (forms::WindowedControl* form = WindowedOwner()) PostMessageW(form->Handle(), WM_NULL, 0, 0);
}

void TTrayIcon::ShowMenuAtCursor() {
  POINT cursor;
  if (GetCursorPos(&cursor)) ShowMenuAt(cursor.x, cursor.y);
}

void TTrayIcon::Loaded() {
  TComponent::Loaded();
  const std::uint32_t id = identifier_;
  if (WindowedOwner()) {
    bool showMainForm = true;
    if (OnStartup) OnStartup(this, showMainForm);
    if (TrayNotifications::Find(id) != this) return;
    if (!showMainForm) {
      if (forms::Application) forms::Application->ShowMainForm = false;
      HideOwnerForm();
    }
  }
  UpdateTrayIcon();
  SetIconVisible(iconVisible_);
  SetCycleIcons(cycleIcons_);
  SetWantEnterExitEvents(wantEnterExit_);
  // Classic notifications: wParam is our number, lParam the mouse message.
  record_.uVersion = 0;
  Notify(NIM_SETVERSION);
}

void TTrayIcon::Notification(forms::TComponent* component, forms::ComponentOperation operation) {
  if (operation == forms::ComponentOperation::Remove) {
    if (component == iconList_) {
      iconList_ = nullptr;
      SetIconIndex(0);
    }
    if (component == popupMenu_) popupMenu_ = nullptr;
  }
  TComponent::Notification(component, operation);
}

void TTrayIcon::HandleNotification(LPARAM event) {
  switch (event) {
    case NIN_BALLOONSHOW:
      if (OnBalloonHintShow) OnBalloonHintShow(this);
      return;
    case NIN_BALLOONHIDE:
      if (OnBalloonHintHide) OnBalloonHintHide(this);
      return;
    case NIN_BALLOONTIMEOUT:
      if (OnBalloonHintTimeout) OnBalloonHintTimeout(this);
      return;
    case NIN_BALLOONUSERCLICK:
      if (OnBalloonHintClick) OnBalloonHintClick(this);
      return;
    default:
      break;
  }
  if (!Enabled) return;
  if (event >= WM_MOUSEFIRST && event <= WM_MBUTTONUP) HandleMouse(static_cast<UINT>(event));
}

void TTrayIcon::HandleMouse(UINT message) {
  using forms::MouseButton;
  const std::uint32_t id = identifier_;
  auto alive = [&] { return TrayNotifications::Find(id) == this; };
  forms::ShiftState shift = AsyncShiftState();
  POINT cursor{0, 0};
  GetCursorPos(&cursor);
  auto autoPopup = [&] { return popupMenu_ && popupMenu_->AutoPopup; };

  switch (message) {
    case WM_MOUSEMOVE:
      if (wantEnterExit_ && cursorOutside_) {
        cursorOutside_ = false;
        MouseEnter();
        if (!alive()) return;
      }
      lastCursor_ = cursor;
      MouseMove(shift, cursor.x, cursor.y);
      return;
    case WM_LBUTTONDOWN:
      if (OnDblClick) {
        clickTimer_->SetInterval(GetDoubleClickTime());
        clickTimer_->SetEnabled(true);
      }
      leftButtonDown_ = true;
      MouseDown(MouseButton::Left, shift | forms::kLeftButton, cursor.x, cursor.y);
      if (alive() && LeftPopup && autoPopup()) ShowMenuAtCursor();
      return;
    case WM_LBUTTONUP: {
      bool wasDown = leftButtonDown_;
      leftButtonDown_ = false;
      if (wasDown) clickPending_ = true;
      if (wasDown && !clickTimer_->Enabled()) {
        clickPending_ = false;
        Click();
        if (!alive()) return;
      }
      MouseUp(MouseButton::Left, shift | forms::kLeftButton, cursor.x, cursor.y);
      return;
    }
    case WM_LBUTTONDBLCLK:
      clickPending_ = false;
      doubleClickSeen_ = true;
      DblClick();
      if (alive() && autoPopup() && !LeftPopup) {
        if (forms::MenuEntry* item = popupMenu_->DefaultItem()) item->Click();
      }
      return;
    case WM_RBUTTONDOWN:
      MouseDown(MouseButton::Right, shift | forms::kRightButton, cursor.x, cursor.y);
      if (alive() && autoPopup()) ShowMenuAtCursor();
      return;
    case WM_RBUTTONUP:
      MouseUp(MouseButton::Right, shift | forms::kRightButton, cursor.x, cursor.y);
      return;
    case WM_MBUTTONDOWN:
      MouseDown(MouseButton::Middle, shift | forms::kMiddleButton, cursor.x, cursor.y);
      return;
    case WM_MBUTTONUP:
      MouseUp(MouseButton::Middle, shift | forms::kMiddleButton, cursor.x, cursor.y);
      return;
    default:
      return;
  }
}

void TTrayIcon::ClickTimerFired() {
  bool report = !doubleClickSeen_ && clickPending_;
  doubleClickSeen_ = false;
  if (report) {
    clickPending_ = false;
    Click();
  }
}

void TTrayIcon::EnterExitTimerFired() {
  if (cursorOutside_) return;
  POINT cursor;
  if (!GetCursorPos(&cursor)) return;
  if (cursor.x != lastCursor_.x || cursor.y != lastCursor_.y) {
    cursorOutside_ = true;
    MouseExit();
  }
}

void TTrayIcon::CycleTimerFired() {
  if (!iconList_) return;
  if (forms::IconHandle image = iconList_->GetIcon(iconIndex_)) icon_.TakeHandleQuietly(std::move(image));
  int next = iconIndex_ >= iconList_->Count() - 1 ? 0 : iconIndex_ + 1;
  const std::uint32_t id = identifier_;
  Cycle(next);
  if (TrayNotifications::Find(id) == this) SetIconIndex(next);
}

bool TTrayIcon::ApplicationHook(forms::WindowMessage& message) {
  forms::TApplication* application = forms::Application;
  if (!application) return false;
  switch (message.Msg) {
    case WM_SIZE:
      if (message.WParam == SIZE_MINIMIZED && MinimizeToTray) MinimizeOwnerToTray();
      break;
    case WM_WINDOWPOSCHANGED:
      // Our forms are never multi-document parents, so start-up has nothing
      // more to ask once the main form exists.
      if (startupPending_ && application->MainForm()) startupPending_ = false;
      break;
    case WM_SYSCOMMAND:
      if ((message.WParam & 0xFFF0) == SC_RESTORE) {
        if (forms::TForm* form = application->MainForm()) {
          if (IsIconic(form->Handle())) ShowWindow(form->Handle(), SW_RESTORE);
          form->SetVisible(true);
        }
      }
      break;
    default:
      break;
  }
  return false;
}

bool TTrayIcon::OwnerFilter(forms::WindowMessage& message) {
  forms::WindowedControl* form = WindowedOwner();
  bool minimizing = false;
  if (message.Msg == WM_SHOWWINDOW) {
    if (message.WParam == 1 && message.LParam == 0) {
      if (forms::Application) SetForegroundWindow(forms::Application->Handle());
      if (form) SetForegroundWindow(form->Handle());
      return false;
    }
    minimizing = message.WParam == 0 && message.LParam == SW_PARENTCLOSING &&
                 !(forms::Application && forms::Application->Terminated());
  } else if (message.Msg == WM_SYSCOMMAND) {
    minimizing = (message.WParam & 0xFFF0) == SC_MINIMIZE;
  }
  if (!minimizing || !MinimizeToTray || !OnMinimizeToTray) return false;
  const std::uint32_t id = identifier_;
  OnMinimizeToTray(this);
  if (TrayNotifications::Find(id) == this) MinimizeOwnerToTray();
  message.Result = 1;
  return true;
}

void TTrayIcon::Click() {
  if (OnClick) OnClick(this);
}

void TTrayIcon::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TTrayIcon::Cycle(int NextIndex) {
  if (OnCycle) OnCycle(this, NextIndex);
}

void TTrayIcon::MouseDown(forms::MouseButton button, forms::ShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TTrayIcon::MouseUp(forms::MouseButton button, forms::ShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TTrayIcon::MouseMove(forms::ShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TTrayIcon::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TTrayIcon::MouseExit() {
  if (OnMouseExit) OnMouseExit(this);
}

}  // namespace desktop
