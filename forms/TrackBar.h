#pragma once
// The system's horizontal slider with tick marks. OnChange fires when the
// user moves it; setting the position from code fires nothing.
#include "forms/WindowedControl.h"

namespace forms {

class TrackBar : public WindowedControl {
 public:
  TrackBar(TComponent* owner, WindowedControl* parent, Bounds bounds);

  void SetRange(int min, int max);
  void SetPageSize(int size);
  void SetFrequency(int ticks);
  int Position() const;
  void SetPosition(int position);

  void DescribeState(StateList& state) const override;

  TNotifyEvent OnChange;

 protected:
  bool ParentNotification(WindowMessage& message) override;
};

}  // namespace forms
