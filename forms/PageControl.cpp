#include "forms/PageControl.h"

#include <commctrl.h>

#include "forms/DialogFont.h"
#include "forms/Wide.h"

namespace forms {

PageControl::PageControl(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  static const bool loaded = [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TAB_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  static_cast<void>(loaded);
  CreateSystemHandle(WC_TABCONTROLW, WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, WS_EX_CONTROLPARENT,
                     parent, bounds);
  UseDialogFont(Handle());
}

RECT PageControl::DisplayArea() const {
  RECT area{0, 0, Width(), Height()};
  SendMessageW(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  return area;
}

Panel* PageControl::AddPage(const std::string& name, const std::string& caption) {
  std::wstring text = widen(caption);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = text.data();
  SendMessageW(Handle(), TCM_INSERTITEMW, pages_.size(), reinterpret_cast<LPARAM>(&item));
  const RECT area = DisplayArea();
  Panel* page = New<Panel>(Owner(), name, this,
                           Bounds{area.left, area.top, area.right - area.left, area.bottom - area.top});
  page->SetCaption(caption);
  pages_.push_back(page);
  ShowActive();
  return page;
}

int PageControl::ActivePageIndex() const { return static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0)); }

void PageControl::SetActivePageIndex(int index) {
  SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  ShowActive();
}

void PageControl::ShowActive() {
  const int active = ActivePageIndex();
  for (std::size_t i = 0; i < pages_.size(); ++i) pages_[i]->SetVisible(static_cast<int>(i) == active);
}

void PageControl::DescribeState(StateList& state) const {
  state.emplace_back("ActivePage", std::to_string(ActivePageIndex()));
}

bool PageControl::ParentNotification(WindowMessage& message) {
  if (message.Msg != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  if (header->code != TCN_SELCHANGE) return false;
  ShowActive();
  return true;
}

}  // namespace forms
