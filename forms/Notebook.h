#pragma once
// A stack of pages of which one shows at a time; each page is a panel that
// holds that page's controls and has a title.
#include <string>
#include <vector>

#include "forms/Panel.h"

namespace forms {

class Notebook : public Panel {
 public:
  Notebook(TComponent* owner, WindowedControl* parent, Bounds bounds);

  // Appends a page filling the notebook.
  Panel* AddPage(const std::string& title);
  int PageCount() const { return static_cast<int>(pages_.size()); }
  Panel* Page(int index) const;
  std::string PageTitle(int index) const;
  // An index outside the pages is ignored.
  void SetPageTitle(int index, const std::string& title);

  int PageIndex() const { return pageIndex_; }
  // Shows that page alone; an index outside the pages is ignored.
  void SetPageIndex(int index);

  void DescribeState(StateList& state) const override;

 private:
  std::vector<Panel*> pages_;
  std::vector<std::string> titles_;
  int pageIndex_ = -1;
};

}  // namespace forms
