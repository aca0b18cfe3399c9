#pragma once
// A list whose entries each carry a check box (the system's list view, its
// entries in columns of one width that fill it from the left). OnClickCheck
// fires when the user ticks or clears an entry (mouse or space bar), after
// the entry has become the selected one; setting states from code fires
// nothing.
#include <functional>
#include <string>

#include "forms/WindowedControl.h"

namespace forms {

class CheckList : public WindowedControl {
 public:
  CheckList(TComponent* owner, WindowedControl* parent, Bounds bounds, int columnWidth);

  void Clear();
  void Add(const std::string& text, bool checked);
  int Count() const;
  std::string Text(int index) const;
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  // -1: none.
  int ItemIndex() const;
  void SetItemIndex(int index);

  // Entries as "text=0|1" lines, and the selected index.
  void DescribeState(StateList& state) const override;

  std::function<void(TComponent* sender, int index)> OnClickCheck;

 protected:
  bool ParentNotification(WindowMessage& message) override;

 private:
  int fromCode_ = 0;  // > 0 while the program itself changes entries
};

}  // namespace forms
