#pragma once
// A tree of text nodes drawn by the system, with colours and a font of its
// own: the player's folder tree. Its owner chooses each node's text colour
// and underline while it is drawn; the node under the mouse (the hot node)
// is tracked here. Nodes are the system's item handles; a null node is "no
// node" (as a parent: the top level).
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <functional>
#include <string>

#include "forms/GdiObject.h"
#include "forms/WindowedControl.h"

namespace forms {

using TreeNode = HTREEITEM;

// How one node is drawn; the owner's handler changes the text colour and
// the underline. The background is always the tree's colour.
struct TreeNodeDraw {
  bool Hot = false;
  bool Selected = false;
  ColourValue TextColor = 0;  // the tree's font colour unless changed
  bool Underline = false;
};

class TreeView : public WindowedControl {
 public:
  TreeView(TComponent* owner, WindowedControl* parent, Bounds bounds);

  int Count() const;
  // A new last child of the parent (null: a new last node of the top level).
  TreeNode Add(TreeNode parent, const std::string& text);
  void Delete(TreeNode node);
  void Clear();

  std::string Text(TreeNode node) const;
  void SetText(TreeNode node, const std::string& text);
  // 0 for a node of the top level.
  int Level(TreeNode node) const;
  TreeNode Parent(TreeNode node) const;
  // The first child of the node; with null, the first node of the tree.
  TreeNode FirstChild(TreeNode node) const;
  TreeNode NextSibling(TreeNode node) const;
  // The node after this one in tree order (each node before its children,
  // expanded or not), null after the last.
  TreeNode Next(TreeNode node) const;
  bool Expanded(TreeNode node) const;
  void SetExpanded(TreeNode node, bool expanded);
  TreeNode Selected() const;
  void Select(TreeNode node);
  // The node whose label or icon is at a client point, or null.
  TreeNode NodeAt(int x, int y) const;
  // The node under the mouse, or null.
  TreeNode HotNode() const { return hot_; }

  // Sorts the node's children (null: the top level) by `compare` (negative,
  // 0, positive as for strcmp), and their children too with `recurse`.
  using TextCompare = std::function<int(const std::string& a, const std::string& b)>;
  void SortChildren(TreeNode node, const TextCompare& compare, bool recurse);

  // Nested: the tree repaints once the outermost update ends.
  void BeginUpdate();
  void EndUpdate();

  // The text colour nodes are drawn in unless the owner says otherwise.
  ColourValue FontColor() const { return fontColor_; }
  void SetFontColor(ColourValue colour);
  // The font, as a description; the tree makes it, and the same font
  // underlined for the nodes drawn so, and frees the old ones only after
  // the new ones are in use. The underline of the description is ignored.
  void SetFont(const LOGFONTW& font);
  HFONT Font() const { return plainFont_.Get(); }

  void DescribeState(StateList& state) const override;

  std::function<void(TreeView& tree, TreeNode node, TreeNodeDraw& draw)> OnCustomDrawItem;

 protected:
  void HandleWindowMessage(WindowMessage& message) override;
  bool ParentNotification(WindowMessage& message) override;
  void ColorChanged() override;

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void SetHot(TreeNode node);
  void InvalidateNode(TreeNode node);
  LRESULT CustomDraw(NMTVCUSTOMDRAW& draw);
  static int CALLBACK CompareNodes(LPARAM a, LPARAM b, LPARAM data);

  TreeNode hot_ = nullptr;
  bool trackingLeave_ = false;
  int updates_ = 0;
  ColourValue fontColor_ = kColourNone;
  forms::FontHandle plainFont_;
  forms::FontHandle underlinedFont_;
};

}  // namespace forms
