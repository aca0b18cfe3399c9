#include "forms/ListBox.h"

#include <algorithm>
#include <utility>

#include "base/Exception.h"
#include "forms/Wide.h"

namespace forms {

namespace {

// Enough for the end-to-end tests to read the list, small enough for one
// automation reply.
constexpr int kDescribedItems = 200;

// Keeps a window from repainting until the scope ends, then repaints it.
class RedrawPause {
 public:
  explicit RedrawPause(HWND window) : window_(window) { SendMessageW(window_, WM_SETREDRAW, FALSE, 0); }
  ~RedrawPause() {
    SendMessageW(window_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(window_, nullptr, TRUE);
  }
  RedrawPause(const RedrawPause&) = delete;
  RedrawPause& operator=(const RedrawPause&) = delete;

 private:
  HWND window_;
};

}  // namespace

ListBox::ListBox(TComponent* owner, WindowedControl* parent, Bounds bounds, bool multiSelect)
    : WindowedControl(owner), multiSelect_(multiSelect) {
  CreateSystemHandle(L"LISTBOX",
                     WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWFIXED |
                         LBS_HASSTRINGS | (multiSelect ? LBS_EXTENDEDSEL : 0) | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY,
                     WS_EX_CLIENTEDGE, parent, bounds);
  SetColor(kColourWindow);
}

LRESULT ListBox::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(Handle(), message, wParam, lParam);
}

void ListBox::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) throw sv::Exception("List index out of bounds (" + std::to_string(index) + ")");
}

int ListBox::Count() const { return static_cast<int>(Send(LB_GETCOUNT)); }

void ListBox::Add(std::string text) { Insert(Count(), std::move(text)); }

void ListBox::Insert(int index, std::string text) {
  std::wstring wide = widen(text);
  int at = index < 0 || index >= Count() ? -1 : index;
  LRESULT result = Send(LB_INSERTSTRING, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(wide.c_str()));
  if (result == LB_ERR || result == LB_ERRSPACE) throw sv::Exception("The list cannot take more items");
}

void ListBox::Delete(int index) {
  CheckIndex(index);
  Send(LB_DELETESTRING, static_cast<WPARAM>(index));
}

void ListBox::Clear() { Send(LB_RESETCONTENT); }

std::string ListBox::Item(int index) const {
  CheckIndex(index);
  auto length = Send(LB_GETTEXTLEN, static_cast<WPARAM>(index));
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  auto copied = Send(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return narrow(text);
}

void ListBox::SetItem(int index, std::string text) {
  CheckIndex(index);
  std::wstring wide = widen(text);
  bool selected = Selected(index);
  int caret = static_cast<int>(Send(LB_GETCARETINDEX));
  int anchor = static_cast<int>(Send(LB_GETANCHORINDEX));
  int top = TopIndex();
  {
    RedrawPause pause(Handle());
    Send(LB_DELETESTRING, static_cast<WPARAM>(index));
    Send(LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str()));
    if (selected) Send(LB_SETSEL, TRUE, index);
    if (anchor >= 0) Send(LB_SETANCHORINDEX, static_cast<WPARAM>(anchor));
    if (caret >= 0) Send(LB_SETCARETINDEX, static_cast<WPARAM>(caret), FALSE);
    Send(LB_SETTOPINDEX, static_cast<WPARAM>(top));
  }
}

int ListBox::ItemIndex() const {
  if (Count() == 0) return -1;
  if (!multiSelect_) return static_cast<int>(Send(LB_GETCURSEL));
  return static_cast<int>(Send(LB_GETCARETINDEX));
}

void ListBox::SetItemIndex(int index) {
  if (index >= Count()) index = -1;
  if (!multiSelect_) {
    Send(LB_SETCURSEL, static_cast<WPARAM>(index));
    return;
  }
  Send(LB_SETSEL, FALSE, -1);
  if (index < 0) return;
  Send(LB_SETSEL, TRUE, index);
  Send(LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
  Send(LB_SETANCHORINDEX, static_cast<WPARAM>(index));
}

bool ListBox::Selected(int index) const {
  CheckIndex(index);
  if (!multiSelect_) return Send(LB_GETCURSEL) == index;
  return Send(LB_GETSEL, static_cast<WPARAM>(index)) > 0;
}

void ListBox::SetSelected(int index, bool selected) {
  CheckIndex(index);
  if (!multiSelect_) {
    if (selected || Selected(index)) Send(LB_SETCURSEL, static_cast<WPARAM>(selected ? index : -1));
    return;
  }
  Send(LB_SETSEL, selected ? TRUE : FALSE, index);
}

int ListBox::SelCount() const {
  if (!multiSelect_) return Send(LB_GETCURSEL) == LB_ERR ? 0 : 1;
  LRESULT count = Send(LB_GETSELCOUNT);
  return count == LB_ERR ? 0 : static_cast<int>(count);
}

void ListBox::ClearSelection() {
  if (!multiSelect_)
    Send(LB_SETCURSEL, static_cast<WPARAM>(-1));
  else
    Send(LB_SETSEL, FALSE, -1);
}

void ListBox::SelectAll() { Send(LB_SETSEL, TRUE, -1); }

int ListBox::TopIndex() const { return static_cast<int>(Send(LB_GETTOPINDEX)); }

void ListBox::SetTopIndex(int index) { Send(LB_SETTOPINDEX, static_cast<WPARAM>(std::max(index, 0))); }

int ListBox::ItemAtPos(int x, int y) const {
  if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return -1;
  int height = std::max(ItemHeight(), 1);
  int index = TopIndex() + y / height;
  return index < Count() ? index : -1;
}

int ListBox::HorizontalExtent() const { return static_cast<int>(Send(LB_GETHORIZONTALEXTENT)); }

void ListBox::SetHorizontalExtent(int width) { Send(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(std::max(width, 0))); }

int ListBox::ItemHeight() const { return static_cast<int>(Send(LB_GETITEMHEIGHT)); }

void ListBox::SetItemHeight(int height) {
  // Setting the height repaints the list, and the playlist sets it while
  // drawing: an unchanged height must not start another paint.
  if (height < 1 || height > 255 || height == ItemHeight()) return;
  Send(LB_SETITEMHEIGHT, 0, MAKELPARAM(height, 0));
}

void ListBox::SetFont(HFONT font) { Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

bool ListBox::ParentNotification(WindowMessage& message) {
  switch (message.Msg) {
    case WM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(message.LParam));
      message.Result = TRUE;
      return true;
    case WM_COMMAND:
      if (HIWORD(message.WParam) == LBN_SELCHANGE) {
        if (OnChange) OnChange(this);
      } else if (HIWORD(message.WParam) == LBN_DBLCLK) {
        if (OnDblClick) OnDblClick(this);
      } else {
        return false;
      }
      message.Result = 0;
      return true;
    case WM_CTLCOLORLISTBOX: {
      if (Color() == kColourNone) return false;
      if (!background_ || backgroundColour_ != Color()) {
        background_.Reset(CreateSolidBrush(ToColorRef(Color())));
        backgroundColour_ = Color();
      }
      message.Result = reinterpret_cast<LRESULT>(background_.Get());
      return true;
    }
    default:
      return false;
  }
}

void ListBox::DrawItem(const DRAWITEMSTRUCT& draw) {
  bool focused = (draw.itemState & ODS_FOCUS) != 0;
  auto index = static_cast<int>(draw.itemID);
  if (index < 0 || index >= Count()) {
    // An empty list with the focus shows only the focus frame.
    if (focused) DrawFocusRect(draw.hDC, &draw.rcItem);
    return;
  }
  // Every action repaints the whole item: the handlers draw the focus frame
  // themselves, over a freshly filled rectangle.
  bool selected = (draw.itemState & ODS_SELECTED) != 0;
  int saved = SaveDC(draw.hDC);
  if (OnDrawItem)
    OnDrawItem(*this, index, draw.hDC, draw.rcItem, selected, focused);
  else
    DrawPlainItem(index, draw.hDC, draw.rcItem, selected, focused);
  RestoreDC(draw.hDC, saved);
}

void ListBox::DrawPlainItem(int index, HDC dc, const RECT& rect, bool selected, bool focused) const {
  COLORREF back =
      selected ? GetSysColor(COLOR_HIGHLIGHT) : ToColorRef(Color() == kColourNone ? kColourWindow : Color());
  BrushHandle brush(CreateSolidBrush(back));
  FillRect(dc, &rect, brush.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  RECT text = rect;
  text.left += 2;
  std::wstring wide = widen(Item(index));
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
  if (focused) DrawFocusRect(dc, &rect);
}

void ListBox::DescribeState(StateList& state) const {
  int count = Count();
  state.emplace_back("Count", std::to_string(count));
  state.emplace_back("ItemIndex", std::to_string(ItemIndex()));
  state.emplace_back("SelCount", std::to_string(SelCount()));
  state.emplace_back("TopIndex", std::to_string(TopIndex()));
  state.emplace_back("ItemHeight", std::to_string(ItemHeight()));
  state.emplace_back("HorizontalExtent", std::to_string(HorizontalExtent()));
  std::string selection;
  for (int i = 0; i < count; ++i) {
    if (!Selected(i)) continue;
    if (!selection.empty()) selection += ',';
    selection += std::to_string(i);
  }
  state.emplace_back("Selection", selection);
  for (int i = 0; i < std::min(count, kDescribedItems); ++i) state.emplace_back("Item" + std::to_string(i), Item(i));
}

}  // namespace forms
