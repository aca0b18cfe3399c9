#include "forms/TrackBar.h"

#include <commctrl.h>

namespace forms {

namespace {
void LoadTrackBarClass() {
  static const bool loaded = [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  static_cast<void>(loaded);
}
}  // namespace

TrackBar::TrackBar(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  LoadTrackBarClass();
  CreateSystemHandle(TRACKBAR_CLASSW, WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TBS_HORZ | TBS_AUTOTICKS, 0, parent,
                     bounds);
}

void TrackBar::SetRange(int min, int max) {
  SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, min);
  SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, max);
}

void TrackBar::SetPageSize(int size) { SendMessageW(Handle(), TBM_SETPAGESIZE, 0, size); }

void TrackBar::SetFrequency(int ticks) { SendMessageW(Handle(), TBM_SETTICFREQ, static_cast<WPARAM>(ticks), 0); }

int TrackBar::Position() const { return static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0)); }

void TrackBar::SetPosition(int position) { SendMessageW(Handle(), TBM_SETPOS, TRUE, position); }

void TrackBar::DescribeState(StateList& state) const { state.emplace_back("Position", std::to_string(Position())); }

bool TrackBar::ParentNotification(WindowMessage& message) {
  if (message.Msg != WM_HSCROLL) return false;
  // The end of a drag repeats the last position.
  if (LOWORD(message.WParam) == TB_ENDTRACK) return true;
  if (OnChange) OnChange(this);
  message.Result = 0;
  return true;
}

}  // namespace forms
