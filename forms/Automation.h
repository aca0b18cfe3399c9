#pragma once
// A test channel into a running program, switched on only when the
// environment variable below is "1". A driver sends the application window a
// WM_COPYDATA request (dwData kAutomationRequest, UTF-8 text, fields separated
// by tabs; wParam the driver's window) and gets the reply text back as a
// WM_COPYDATA (dwData kAutomationReply) to that window before the request
// returns; the request's result is 1 on success, 0 on failure (the reply
// then holds the reason). End-to-end tests use it only for what standard
// window messages cannot reach: windowless controls, and pixels.
//
// Requests; <window> is a form's Name or class name, or "#" and a window
// handle in decimal; <name> is a component Name (empty: the form itself):
//   list <window>                  one line per component the form owns, at
//                                  any depth: Name, type, and for controls
//                                  left,top,width,height, visible, windowed
//   caption <window> <name>        the caption
//   state <window> <name>          Key=Value lines
//   click <window> <name>          a left press and release posted to the
//                                  window under the control's centre
//   capture <window> <name> <file> the control's client area as a BMP file
//   drop <window> <name> <path>... the paths dropped on the window, as the
//                                  shell drops files (WM_DROPFILES, posted)
//   menu #<menu handle>            the items of an open menu of the program,
//                                  one caption a line, "-" for a separator
#include <windows.h>

#include <string>

#include "forms/MessageFilter.h"

namespace forms {

inline constexpr char kAutomationVariable[] = "SORIVANEL_AUTOMATION";
inline constexpr ULONG_PTR kAutomationRequest = 0x53564151;
inline constexpr ULONG_PTR kAutomationReply = 0x53564152;

class TApplication;

class AutomationChannel {
 public:
  explicit AutomationChannel(TApplication& application);
  ~AutomationChannel();
  AutomationChannel(const AutomationChannel&) = delete;
  AutomationChannel& operator=(const AutomationChannel&) = delete;

  // Answers one request; false with the reason in `reply` when it fails.
  bool Answer(const std::string& request, std::string& reply);

 private:
  bool OnMessage(WindowMessage& message);

  TApplication& application_;
  FilterId hook_;
};

}  // namespace forms
