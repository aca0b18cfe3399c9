#include "forms/Notebook.h"

namespace forms {

Notebook::Notebook(TComponent* owner, WindowedControl* parent, Bounds bounds) : Panel(owner, parent, bounds) {
  SetWindowLongPtrW(Handle(), GWL_EXSTYLE, GetWindowLongPtrW(Handle(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
}

Panel* Notebook::AddPage(const std::string& title) {
  auto* page = New<Panel>(this, "", this, Bounds{0, 0, Width(), Height()});
  SetWindowLongPtrW(page->Handle(), GWL_EXSTYLE, GetWindowLongPtrW(page->Handle(), GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
  page->SetVisible(pages_.empty());
  if (pages_.empty()) pageIndex_ = 0;
  pages_.push_back(page);
  titles_.push_back(title);
  return page;
}

Panel* Notebook::Page(int index) const {
  return index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
}

std::string Notebook::PageTitle(int index) const {
  return index >= 0 && index < PageCount() ? titles_[static_cast<std::size_t>(index)] : std::string();
}

void Notebook::SetPageTitle(int index, const std::string& title) {
  if (index >= 0 && index < PageCount()) titles_[static_cast<std::size_t>(index)] = title;
}

void Notebook::SetPageIndex(int index) {
  if (index < 0 || index >= PageCount()) return;
  pageIndex_ = index;
  // The new page first, then the old one goes: no flash of the background.
  pages_[static_cast<std::size_t>(index)]->SetVisible(true);
  for (int i = 0; i < PageCount(); ++i)
    if (i != index) pages_[static_cast<std::size_t>(i)]->SetVisible(false);
}

void Notebook::DescribeState(StateList& state) const {
  state.emplace_back("PageIndex", std::to_string(pageIndex_));
  state.emplace_back("PageTitle", PageTitle(pageIndex_));
}

}  // namespace forms
