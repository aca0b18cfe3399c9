#pragma once
// A plain child window that holds other controls on a background of its
// colour: the lists panel and the cover preview's frame.
#include "forms/WindowedControl.h"

namespace forms {

class Panel : public WindowedControl {
 public:
  Panel(TComponent* owner, WindowedControl* parent, Bounds bounds);

  TNotifyEvent OnResize;

 protected:
  void Resized() override;
};

}  // namespace forms
