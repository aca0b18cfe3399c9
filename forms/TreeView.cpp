#include "forms/TreeView.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "base/Exception.h"
#include "forms/Wide.h"

namespace forms {

namespace {

// Enough for the end-to-end tests to read the tree, small enough for one
// automation reply.
constexpr int kDescribedNodes = 200;
// Node texts are paths and names; anything longer is cut there.
constexpr std::size_t kLongestText = 32768;

void LoadTreeClass() {
  static const bool loaded = [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_TREEVIEW_CLASSES};
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  static_cast<void>(loaded);
}

struct SortContext {
  const TreeView* tree;
  const TreeView::TextCompare* compare;
};

}  // namespace

TreeView::TreeView(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  LoadTreeClass();
  CreateSystemHandle(WC_TREEVIEWW,
                     WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT,
                     WS_EX_CLIENTEDGE, parent, bounds);
  SetColor(kColourWindow);
  SetFontColor(0x80000000u | COLOR_WINDOWTEXT);
}

LRESULT TreeView::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(Handle(), message, wParam, lParam);
}

int TreeView::Count() const { return static_cast<int>(Send(TVM_GETCOUNT)); }

TreeNode TreeView::Add(TreeNode parent, const std::string& text) {
  std::wstring wide = widen(text);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = wide.data();
  auto node = reinterpret_cast<TreeNode>(Send(TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (!node) throw sv::Exception("The tree cannot take more nodes");
  // The sort's comparison receives each node's own handle back.
  TVITEMW item{};
  item.mask = TVIF_PARAM;
  item.hItem = node;
  item.lParam = reinterpret_cast<LPARAM>(node);
  Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
  return node;
}

void TreeView::Delete(TreeNode node) {
  if (node) Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node));
}

void TreeView::Clear() { Send(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)); }

std::string TreeView::Text(TreeNode node) const {
  if (!node) return {};
  std::wstring buffer(260, L'\0');
  for (;;) {
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = node;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    if (!Send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
    const std::size_t length = std::wcslen(buffer.c_str());
    // A text that filled the buffer may have been cut: ask again with more.
    if (length + 1 < buffer.size() || buffer.size() >= kLongestText) {
      buffer.resize(length);
      return narrow(buffer);
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

void TreeView::SetText(TreeNode node, const std::string& text) {
  if (!node) return;
  std::wstring wide = widen(text);
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = node;
  item.pszText = wide.data();
  Send(TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

int TreeView::Level(TreeNode node) const {
  int level = 0;
  for (TreeNode up = Parent(node); up; up = Parent(up)) ++level;
  return level;
}

TreeNode TreeView::Parent(TreeNode node) const {
  if (!node) return nullptr;
  return reinterpret_cast<TreeNode>(Send(TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(node)));
}

TreeNode TreeView::FirstChild(TreeNode node) const {
  if (!node) return reinterpret_cast<TreeNode>(Send(TVM_GETNEXTITEM, TVGN_ROOT, 0));
  return reinterpret_cast<TreeNode>(Send(TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
}

TreeNode TreeView::NextSibling(TreeNode node) const {
  if (!node) return nullptr;
  return reinterpret_cast<TreeNode>(Send(TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node)));
}

TreeNode TreeView::Next(TreeNode node) const {
  if (!node) return nullptr;
  if (TreeNode child = FirstChild(node)) return child;
  for (TreeNode up = node; up; up = Parent(up))
    if (TreeNode sibling = NextSibling(up)) return sibling;
  return nullptr;
}

bool TreeView::Expanded(TreeNode node) const {
  if (!node) return false;
  return (Send(TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

void TreeView::SetExpanded(TreeNode node, bool expanded) {
  if (node) Send(TVM_EXPAND, expanded ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(node));
}

TreeNode TreeView::Selected() const { return reinterpret_cast<TreeNode>(Send(TVM_GETNEXTITEM, TVGN_CARET, 0)); }

void TreeView::Select(TreeNode node) { Send(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node)); }

TreeNode TreeView::NodeAt(int x, int y) const {
  TVHITTESTINFO hit{};
  hit.pt = {x, y};
  auto node = reinterpret_cast<TreeNode>(Send(TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  return (hit.flags & (TVHT_ONITEMLABEL | TVHT_ONITEMICON)) ? node : nullptr;
}

int CALLBACK TreeView::CompareNodes(LPARAM a, LPARAM b, LPARAM data) {
  const auto& context = *reinterpret_cast<const SortContext*>(data);
  return (*context.compare)(context.tree->Text(reinterpret_cast<TreeNode>(a)),
                            context.tree->Text(reinterpret_cast<TreeNode>(b)));
}

void TreeView::SortChildren(TreeNode node, const TextCompare& compare, bool recurse) {
  SortContext context{this, &compare};
  TVSORTCB sort{};
  sort.hParent = node ? node : TVI_ROOT;
  sort.lpfnCompare = &TreeView::CompareNodes;
  sort.lParam = reinterpret_cast<LPARAM>(&context);
  Send(TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
  if (!recurse) return;
  for (TreeNode child = FirstChild(node); child; child = NextSibling(child))
    if (FirstChild(child)) SortChildren(child, compare, true);
}

void TreeView::BeginUpdate() {
  if (updates_++ == 0) Send(WM_SETREDRAW, FALSE);
}

void TreeView::EndUpdate() {
  if (updates_ == 0 || --updates_ > 0) return;
  Send(WM_SETREDRAW, TRUE);
  Invalidate();
}

void TreeView::SetFontColor(ColourValue colour) {
  fontColor_ = colour;
  Send(TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ToColorRef(colour)));
  Invalidate();
}

void TreeView::ColorChanged() {
  if (Handle()) Send(TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ToColorRef(Color())));
}

void TreeView::SetFont(const LOGFONTW& font) {
  LOGFONTW description = font;
  description.lfUnderline = FALSE;
  forms::FontHandle plain(CreateFontIndirectW(&description));
  description.lfUnderline = TRUE;
  forms::FontHandle underlined(CreateFontIndirectW(&description));
  if (!plain || !underlined) return;
  Send(WM_SETFONT, reinterpret_cast<WPARAM>(plain.Get()), TRUE);
  // The tree draws with the new font now: the old ones may go.
  plainFont_ = std::move(plain);
  underlinedFont_ = std::move(underlined);
}

void TreeView::InvalidateNode(TreeNode node) {
  if (!node) return;
  // The message takes the node in the rectangle's first bytes.
  RECT rect{};
  std::memcpy(&rect, &node, sizeof node);
  if (Send(TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&rect))) InvalidateRect(Handle(), &rect, FALSE);
}

void TreeView::SetHot(TreeNode node) {
  if (node == hot_) return;
  InvalidateNode(hot_);
  hot_ = node;
  InvalidateNode(hot_);
}

void TreeView::HandleWindowMessage(WindowMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      SetHot(NodeAt(GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)));
      if (!trackingLeave_) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        trackingLeave_ = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      SetHot(nullptr);
      break;
    default:
      break;
  }
  WindowedControl::HandleWindowMessage(message);
}

bool TreeView::ParentNotification(WindowMessage& message) {
  if (message.Msg != WM_NOTIFY) return false;
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  switch (header->code) {
    case NM_CUSTOMDRAW:
      message.Result = CustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(message.LParam));
      return true;
    case TVN_DELETEITEMW:
      if (reinterpret_cast<const NMTREEVIEWW*>(message.LParam)->itemOld.hItem == hot_) hot_ = nullptr;
      return false;
    default:
      return false;
  }
}

LRESULT TreeView::CustomDraw(NMTVCUSTOMDRAW& draw) {
  switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return OnCustomDrawItem ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    case CDDS_ITEMPREPAINT: {
      if (!OnCustomDrawItem) return CDRF_DODEFAULT;
      const auto node = reinterpret_cast<TreeNode>(draw.nmcd.dwItemSpec);
      TreeNodeDraw look;
      look.Hot = node != nullptr && node == hot_;
      look.Selected = (draw.nmcd.uItemState & CDIS_SELECTED) != 0;
      look.TextColor = fontColor_;
      OnCustomDrawItem(*this, node, look);
      draw.clrText = ToColorRef(look.TextColor);
      draw.clrTextBk = ToColorRef(Color());
      HFONT font = look.Underline ? underlinedFont_.Get() : plainFont_.Get();
      if (!font) return CDRF_DODEFAULT;
      SelectObject(draw.nmcd.hdc, font);
      return CDRF_NEWFONT;
    }
    default:
      return CDRF_DODEFAULT;
  }
}

void TreeView::DescribeState(StateList& state) const {
  state.emplace_back("Count", std::to_string(Count()));
  state.emplace_back("Selected", Text(Selected()));
  state.emplace_back("Hot", Text(hot_));
  int index = 0;
  for (TreeNode node = FirstChild(nullptr); node && index < kDescribedNodes; node = Next(node), ++index)
    state.emplace_back("Node" + std::to_string(index), std::to_string(Level(node)) + "|" + Text(node));
}

}  // namespace forms
