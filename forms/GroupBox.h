#pragma once
// A framed box with a caption that holds other controls, and the radio group
// built on it: a box of round buttons of which at most one is chosen.
#include <string>
#include <vector>

#include "forms/Buttons.h"
#include "forms/WindowedControl.h"

namespace forms {

class GroupBox : public WindowedControl {
 public:
  GroupBox(TComponent* owner, WindowedControl* parent, Bounds bounds);

  void SetCaption(std::string caption) override;

 protected:
  void PaintWindow(HDC dc) override;
};

class RadioGroup : public GroupBox {
 public:
  RadioGroup(TComponent* owner, WindowedControl* parent, Bounds bounds);

  // One button per item, stacked in the box.
  void SetItems(const std::vector<std::string>& items);
  int Count() const { return static_cast<int>(buttons_.size()); }
  std::string Item(int index) const;
  // An index outside the items is ignored.
  void SetItem(int index, const std::string& text);

  // -1 when none is chosen.
  int ItemIndex() const { return itemIndex_; }
  // Chooses without firing OnClick; -1 chooses none.
  void SetItemIndex(int index);

  void DescribeState(StateList& state) const override;

  // OnClick fires only when the user chooses an item, not for a click on
  // the frame.
  void Click() override {}

 private:
  void ButtonClicked(int index);
  void LayOut();

  std::vector<RadioButton*> buttons_;
  int itemIndex_ = -1;
};

}  // namespace forms
