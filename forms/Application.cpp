#include "forms/Application.h"

#include <cstdlib>
#include <stdexcept>

#include "base/Exception.h"
#include "forms/Automation.h"
#include "forms/DialogKeys.h"
#include "forms/Dispatch.h"
#include "forms/ErrorText.h"
#include "forms/Wide.h"
#include "forms/WindowClass.h"
#include "forms/ZOrder.h"

namespace forms {

TApplication* Application = nullptr;

namespace {
const wchar_t kClassName[] = L"TApplication";

// The program's file name without folder and extension.
std::string ProgramName() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring name(path, length);
  std::size_t slash = name.find_last_of(L"\\/");
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  std::size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return narrow(name);
}

struct TopmostSearch {
  HWND application;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectTopmost(HWND window, LPARAM data) {
  return Guarded(
      [&] {
        auto* search = reinterpret_cast<TopmostSearch*>(data);
        if (window != search->application && IsWindowVisible(window) && IsWindowTopmost(window))
          search->found->push_back(window);
        return TRUE;
      },
      FALSE);
}

bool AutomationRequested() {
  const char* value = std::getenv(kAutomationVariable);
  return value && std::string(value) == "1";
}
}  // namespace

TApplication::TApplication() : TComponent(nullptr), title_(ProgramName()) {
  if (Application) throw std::logic_error("Only one application object may exist");
  RegisterPlainWindowClass(kClassName);
  // Hidden for good, and a tool window, so it never has a taskbar button.
  handle_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, widen(title_).c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!handle_) throw sv::Exception("Cannot create the application window");
  SetWindowLongPtrW(handle_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TApplication::Procedure));
  // Complete from the start: forms made later get their Loaded at once.
  CompleteLoading();
  if (AutomationRequested()) automation_ = std::make_unique<AutomationChannel>(*this);
  Application = this;
  SetExceptionHandler([this](std::exception_ptr error) { HandleException(error); });
}

TApplication::~TApplication() {
  automation_.reset();
  mainForm_ = nullptr;
  BeginDestruction();
  SetExceptionHandler(nullptr);
  Application = nullptr;
  DestroyWindow(handle_);
}

void TApplication::SetTitle(std::string title) {
  title_ = std::move(title);
  SetWindowTextW(handle_, widen(title_).c_str());
}

LRESULT CALLBACK TApplication::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  TApplication* self = Application;
  if (!self || self->handle_ != window) return DefWindowProcW(window, message, wParam, lParam);
  WindowMessage m{message, wParam, lParam, 0};
  Guarded([&] { self->HandleAppMessage(m); });
  return m.Result;
}

void TApplication::HandleAppMessage(WindowMessage& message) {
  if (hooks_.Run(message)) return;
  switch (message.Msg) {
    case WM_ACTIVATEAPP:
      if (!message.WParam && OnDeactivate) OnDeactivate(this);
      break;
    case WM_CLOSE:
      if (mainForm_)
        mainForm_->Close();
      else
        Terminate();
      message.Result = 0;
      return;
    default:
      break;
  }
  message.Result = DefWindowProcW(handle_, message.Msg, message.WParam, message.LParam);
}

void TApplication::Notification(TComponent* component, ComponentOperation operation) {
  if (operation == ComponentOperation::Remove && component == mainForm_) mainForm_ = nullptr;
  TComponent::Notification(component, operation);
}

void TApplication::Run() {
  if (!mainForm_) return;
  if (ShowMainForm) mainForm_->Show();
  running_ = true;
  while (!terminated_) {
    Guarded([&] { HandleMessage(); });
    FirePumpsUnwound();
  }
  running_ = false;
}

namespace {

bool ThreadTracksMenu() {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & (GUI_INMENUMODE | GUI_POPUPMENUMODE)) != 0;
}

}  // namespace

// A menu's own loop drops the quit request and would never return: the
// menu is closed first.
void TApplication::Terminate() {
  if (ThreadTracksMenu()) EndMenu();
  PostQuitMessage(0);
}

void TApplication::ProcessMessages() {
  // Inside an open menu the menu's loop pumps already; a loop of ours would
  // take the keys and clicks meant for it.
  if (ThreadTracksMenu()) return;
  NestedPump pump;
  while (ProcessMessage()) {
  }
}

// The handler that ran the outermost loop is still on the stack when it
// ends: inside Run the news waits until that handler has returned.
void TApplication::LeavePump() {
  if (--pumpDepth_ > 0) return;
  unwound_ = true;
  if (!running_) FirePumpsUnwound();
}

void TApplication::FirePumpsUnwound() {
  if (pumpDepth_ > 0 || !unwound_) return;
  unwound_ = false;
  if (OnPumpsUnwound) Guarded([&] { OnPumpsUnwound(); });
}

// Only loops of the application's own thread count: the others dispatch
// none of its messages.
NestedPump::NestedPump()
    : application_(Application && GetWindowThreadProcessId(Application->Handle(), nullptr) == GetCurrentThreadId()
                       ? Application
                       : nullptr) {
  if (application_) ++application_->pumpDepth_;
}

NestedPump::~NestedPump() {
  if (application_ && application_ == Application) application_->LeavePump();
}

void TApplication::HandleMessage() {
  if (!ProcessMessage()) WaitMessage();
}

bool TApplication::ProcessMessage() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  if (!Guarded([&] { return PreviewKey(msg) || HandleDialogKey(msg); }, false)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

// A form with KeyPreview sees a key meant for one of its controls before
// the control does; a key it sets to 0 goes no further.
bool TApplication::PreviewKey(MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root || root == msg.hwnd) return false;
  auto* form = dynamic_cast<TForm*>(WindowedControl::FromHandle(root));
  if (!form || !form->KeyPreview) return false;
  auto key = static_cast<std::uint16_t>(msg.wParam);
  form->KeyDown(key, WindowedControl::KeyboardShiftState());
  if (key == 0) return true;
  msg.wParam = key;
  return false;
}

void TApplication::HandleException(std::exception_ptr error) {
  try {
    std::rethrow_exception(error);
  } catch (const sv::Abort&) {
    return;
  } catch (...) {
  }
  if (showingError_) return;
  showingError_ = true;
  HWND owner = GetActiveWindow();
  if (!owner) owner = handle_;
  MessageBoxW(owner, widen(ErrorText(error)).c_str(), widen(title_).c_str(), MB_OK | MB_ICONSTOP);
  showingError_ = false;
}

void TApplication::NormalizeTopMosts() {
  if (topMostLevel_++ > 0) return;
  topMosts_.clear();
  TopmostSearch search{handle_, &topMosts_};
  EnumThreadWindows(GetCurrentThreadId(), &CollectTopmost, reinterpret_cast<LPARAM>(&search));
  for (HWND window : topMosts_) SetWindowTopmost(window, false);
}

void TApplication::RestoreTopMosts() {
  if (topMostLevel_ == 0 || --topMostLevel_ > 0) return;
  // Bottom first, so that each keeps its place among the others.
  for (auto it = topMosts_.rbegin(); it != topMosts_.rend(); ++it) {
    if (IsWindow(*it)) SetWindowTopmost(*it, true);
  }
  topMosts_.clear();
}

void TApplication::Halt(int exitCode) {
  Guarded([&] {
    automation_.reset();
    mainForm_ = nullptr;
    BeginDestruction();
  });
  std::exit(exitCode);
}

}  // namespace forms
