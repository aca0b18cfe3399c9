#pragma once
// The system's one-line edit field, plain or hiding what is typed.
// OnChange fires for every change of the text, typed or set from code.
#include <string>

#include "forms/WindowedControl.h"

namespace forms {

class Edit : public WindowedControl {
 public:
  Edit(TComponent* owner, WindowedControl* parent, Bounds bounds, bool password = false);

  std::string Text() const { return Caption(); }
  void SetText(const std::string& text) { SetCaption(text); }

  void DescribeState(StateList& state) const override;

  TNotifyEvent OnChange;

 protected:
  bool ParentNotification(WindowMessage& message) override;

 private:
  bool password_;
};

}  // namespace forms
