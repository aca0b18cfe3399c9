#pragma once
// The driver's end of the automation interface (forms/Automation.h): sends
// a request to a program's application window and collects the reply.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace svtest {

struct AutomationReply {
  bool ok = false;
  std::string text;
};

class AutomationClient {
 public:
  AutomationClient();
  ~AutomationClient();
  AutomationClient(const AutomationClient&) = delete;
  AutomationClient& operator=(const AutomationClient&) = delete;

  // nullopt when nothing answered: the program runs without automation, or
  // the window is not an application window.
  std::optional<AutomationReply> Request(HWND applicationWindow, const std::vector<std::string>& fields,
                                         DWORD timeoutMs = 5000);

  // Run with the reply's text when it arrives, while the program still
  // waits for it to be taken: what reaches the program's queue now comes
  // after what the request posted, and a request sent now is answered
  // inside the one being answered.
  std::function<void(const std::string& reply)> WhileReplying;

  // The component names of a form ("list"), in the order listed.
  std::vector<std::string> ComponentNames(HWND applicationWindow, const std::string& form);

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  std::optional<std::string> reply_;
};

}  // namespace svtest
