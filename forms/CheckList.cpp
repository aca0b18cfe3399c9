#include "forms/CheckList.h"

#include <commctrl.h>

#include "forms/DialogFont.h"
#include "forms/Wide.h"

namespace forms {

namespace {

class FromCode {
 public:
  explicit FromCode(int& depth) : depth_(depth) { ++depth_; }
  ~FromCode() { --depth_; }
  FromCode(const FromCode&) = delete;
  FromCode& operator=(const FromCode&) = delete;

 private:
  int& depth_;
};

}  // namespace

CheckList::CheckList(TComponent* owner, WindowedControl* parent, Bounds bounds, int columnWidth)
    : WindowedControl(owner) {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&init);
  CreateSystemHandle(WC_LISTVIEWW,
                     WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | LVS_LIST | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                     WS_EX_CLIENTEDGE, parent, bounds);
  UseDialogFont(Handle());
  SendMessageW(Handle(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
  SendMessageW(Handle(), LVM_SETCOLUMNWIDTH, 0, columnWidth);
}

void CheckList::Clear() {
  FromCode guard(fromCode_);
  SendMessageW(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

void CheckList::Add(const std::string& text, bool checked) {
  FromCode guard(fromCode_);
  std::wstring wide = widen(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = Count();
  item.pszText = wide.data();
  const auto index = static_cast<int>(SendMessageW(Handle(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (index >= 0) SetChecked(index, checked);
}

int CheckList::Count() const { return static_cast<int>(SendMessageW(Handle(), LVM_GETITEMCOUNT, 0, 0)); }

std::string CheckList::Text(int index) const {
  wchar_t buffer[256] = {};
  LVITEMW item{};
  item.iSubItem = 0;
  item.pszText = buffer;
  item.cchTextMax = 256;
  SendMessageW(Handle(), LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return narrow(buffer);
}

bool CheckList::Checked(int index) const {
  const auto state = SendMessageW(Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
  return ((state & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

void CheckList::SetChecked(int index, bool checked) {
  FromCode guard(fromCode_);
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int CheckList::ItemIndex() const {
  return static_cast<int>(SendMessageW(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CheckList::SetItemIndex(int index) {
  FromCode guard(fromCode_);
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (index < 0) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  SendMessageW(Handle(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
}

void CheckList::DescribeState(StateList& state) const {
  std::string entries;
  for (int i = 0; i < Count(); ++i) entries += (i ? "," : "") + Text(i) + "=" + (Checked(i) ? "1" : "0");
  state.emplace_back("Entries", entries);
  state.emplace_back("ItemIndex", std::to_string(ItemIndex()));
}

bool CheckList::ParentNotification(WindowMessage& message) {
  if (message.Msg != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  if (header->code != LVN_ITEMCHANGED) return false;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(message.LParam);
  const bool checkChanged = (change->uChanged & LVIF_STATE) &&
                            ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) &&
                            (change->uOldState & LVIS_STATEIMAGEMASK) != 0;
  if (checkChanged && fromCode_ == 0 && change->iItem >= 0) {
    // The handler works on the selected entry, as a click on a box selects it.
    if (ItemIndex() != change->iItem) SetItemIndex(change->iItem);
    if (OnClickCheck) OnClickCheck(this, change->iItem);
  }
  message.Result = 0;
  return true;
}

}  // namespace forms
