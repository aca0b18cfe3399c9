#pragma once
// The keys that work every window as a dialog: Tab and Shift+Tab move the
// focus through the controls that take it, in the order they were made;
// Enter presses the push button that has the focus, else the default button;
// Escape presses the cancel button. A control that uses such a key keeps it
// (a field of several lines takes Enter, an open drop-down list Enter and
// Escape), and so does a window without the button the key would press, so
// that its own key handling sees the key. With Ctrl or Alt held the key is
// always the control's: a hot-key field can take Ctrl+Enter. The message
// loop asks here before it dispatches a key, after the form's key preview.
#include <windows.h>

namespace forms {

// True when the key was the window's and has been acted on.
bool HandleDialogKey(const MSG& msg);

}  // namespace forms
