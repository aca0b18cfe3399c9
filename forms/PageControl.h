#pragma once
// Tabs over pages (the system's tab control): each page is a panel in the
// tab's display area; choosing a tab shows its page alone.
#include <string>
#include <vector>

#include "forms/Panel.h"
#include "forms/WindowedControl.h"

namespace forms {

class PageControl : public WindowedControl {
 public:
  PageControl(TComponent* owner, WindowedControl* parent, Bounds bounds);

  // A new last page with that tab caption; owned by the control's owner.
  Panel* AddPage(const std::string& name, const std::string& caption);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  const std::vector<Panel*>& Pages() const { return pages_; }

  void DescribeState(StateList& state) const override;

 protected:
  bool ParentNotification(WindowMessage& message) override;

 private:
  RECT DisplayArea() const;
  void ShowActive();

  std::vector<Panel*> pages_;
};

}  // namespace forms
