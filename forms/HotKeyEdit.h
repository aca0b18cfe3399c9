#pragma once
// The system's hot-key field: shows a key combination and takes the one the
// user presses. Its value is the field's word: the virtual key in the low
// byte, the field's modifier flags (HOTKEYF_*) in the high byte. OnChange
// fires when the user changes it; setting it from code fires nothing.
#include <cstdint>

#include "forms/WindowedControl.h"

namespace forms {

class HotKeyEdit : public WindowedControl {
 public:
  HotKeyEdit(TComponent* owner, WindowedControl* parent, Bounds bounds);

  std::uint16_t Value() const;
  void SetValue(std::uint16_t value);
  // Combinations (HKCOMB_*) the field refuses, and the modifiers (HOTKEYF_*)
  // it puts in their place.
  void SetRules(std::uint16_t invalidCombinations, std::uint16_t replacementModifiers);

  void DescribeState(StateList& state) const override;

  TNotifyEvent OnChange;

 protected:
  bool ParentNotification(WindowMessage& message) override;
};

}  // namespace forms
