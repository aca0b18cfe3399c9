#pragma once
// The application object: a hidden top-level window of class "TApplication"
// whose caption is the title (another instance finds it with FindWindow, and
// broadcasts such as "TaskbarCreated" reach it; it never shows a taskbar
// button), the message loop, and the error box shown for every exception
// that escapes a handler. The program's main block makes exactly one.
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "forms/Component.h"
#include "forms/Events.h"
#include "forms/Form.h"
#include "forms/MessageFilter.h"

namespace forms {

class AutomationChannel;

class TApplication : public TComponent {
 public:
  TApplication();
  // Frees the remaining forms, last created first.
  ~TApplication() override;

  HWND Handle() const { return handle_; }

  const std::string& Title() const { return title_; }
  void SetTitle(std::string title);

  // Run shows the main form first unless this is false.
  bool ShowMainForm = true;
  // The first form made by CreateForm; null once it is freed.
  TForm* MainForm() const { return mainForm_; }

  // Makes a form owned by the application; the first one is the main form.
  template <class T, class... Args>
  T* CreateForm(Args&&... args) {
    static_assert(std::is_base_of_v<TForm, T>, "CreateForm makes forms");
    T* form = New<T>(this, std::string(), std::forward<Args>(args)...);
    if (!mainForm_) mainForm_ = form;
    return form;
  }

  // The message loop: runs until Terminated; returns at once without a
  // main form.
  void Run();
  // Asks the loop to end (posts WM_QUIT, closing a menu left open);
  // Terminated turns true when the loop takes that message.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Dispatches every pending message and returns. Handlers may re-enter.
  // Does nothing while a menu of this thread is open.
  void ProcessMessages();
  // How many message loops run nested inside handlers now: ProcessMessages
  // and every loop that holds a NestedPump. Work that must not run inside a
  // handler that lets messages through waits until this is 0.
  int PumpDepth() const { return pumpDepth_; }
  // Fires once the outermost nested loop has ended and the handler that ran
  // it has returned to the main loop (Run); outside Run, as that loop ends.
  std::function<void()> OnPumpsUnwound;
  // Dispatches one message, waiting for one when none is pending.
  void HandleMessage();

  // The error box: stop icon, OK, titled with Title; silent for sv::Abort.
  // One box at a time: errors raised while it is open are not shown.
  void HandleException(std::exception_ptr error);

  // Hooks see every message of the application window before it (newest
  // first); a hook that returns true has answered the message.
  FilterId HookMainWindow(MessageFilter hook) { return hooks_.Add(std::move(hook)); }
  void UnhookMainWindow(FilterId id) { hooks_.Remove(id); }

  // The application lost the focus to another program.
  TNotifyEvent OnDeactivate;

  // Takes the topmost state from the application's visible topmost windows
  // so that a window shown now can come above them; RestoreTopMosts gives it
  // back. Calls nest: only the outermost pair acts.
  void NormalizeTopMosts();
  void RestoreTopMosts();

  // Ends the program at once: forms (and their tray icons) are freed first.
  [[noreturn]] void Halt(int exitCode = 0);

 protected:
  void Notification(TComponent* component, ComponentOperation operation) override;

 private:
  friend class NestedPump;
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void LeavePump();
  void FirePumpsUnwound();
  void HandleAppMessage(WindowMessage& message);
  bool ProcessMessage();
  bool PreviewKey(MSG& msg);

  HWND handle_ = nullptr;
  std::string title_;
  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool running_ = false;  // inside Run
  int pumpDepth_ = 0;
  bool unwound_ = false;  // the outermost nested loop ended; OnPumpsUnwound is due
  bool showingError_ = false;
  MessageFilterChain hooks_;
  std::vector<HWND> topMosts_;
  int topMostLevel_ = 0;
  std::unique_ptr<AutomationChannel> automation_;
};

// The one application object, or null outside its lifetime.
extern TApplication* Application;

// Counts a message loop of its own (a blocking network call's) as nested
// for as long as it lives; only loops of the application's own thread count.
class NestedPump {
 public:
  NestedPump();
  ~NestedPump();
  NestedPump(const NestedPump&) = delete;
  NestedPump& operator=(const NestedPump&) = delete;

 private:
  TApplication* application_;
};

}  // namespace forms
