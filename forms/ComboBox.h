#pragma once
// The system's combo box: a drop-down list, or a drop-down with an edit
// field. OnChange fires when the user picks an item or types; filling it
// from code fires nothing.
#include <string>

#include "forms/WindowedControl.h"

namespace forms {

class ComboBox : public WindowedControl {
 public:
  // `bounds.Height` is the height with the list dropped down.
  ComboBox(TComponent* owner, WindowedControl* parent, Bounds bounds, bool editable);

  int Count() const;
  void Add(const std::string& text);
  void Clear();
  std::string Item(int index) const;
  // The exact item (letter case ignored), -1 when absent.
  int IndexOf(const std::string& text) const;

  // -1 when none.
  int ItemIndex() const;
  void SetItemIndex(int index);

  // The shown text: the chosen item, or what was typed.
  std::string Text() const;
  void SetText(const std::string& text);

  void DescribeState(StateList& state) const override;

  TNotifyEvent OnChange;

 protected:
  bool ParentNotification(WindowMessage& message) override;

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  // Text set from code is no change of the user's.
  void SetEditText(const std::string& text);
  bool editable_;
  bool quiet_ = false;
};

}  // namespace forms
