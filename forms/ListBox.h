#pragma once
// A list of text items drawn by its owner (or plainly when nobody draws
// them), with extended multiple selection and both scroll bars: the
// player's playlist. Indices are 0-based; an index outside the list raises
// sv::Exception where an item must exist.
#include <windows.h>

#include <functional>
#include <string>

#include "forms/GdiObject.h"
#include "forms/WindowedControl.h"

namespace forms {

class ListBox : public WindowedControl {
 public:
  // A list of one choice at a time when not `multiSelect`.
  ListBox(TComponent* owner, WindowedControl* parent, Bounds bounds, bool multiSelect = true);

  int Count() const;
  void Add(std::string text);
  // An index at or past the end appends.
  void Insert(int index, std::string text);
  void Delete(int index);
  void Clear();
  std::string Item(int index) const;
  // Replaces the text in place: the selection, the caret and the scroll
  // position stay as they were.
  void SetItem(int index, std::string text);

  // The caret item, -1 when the list is empty.
  int ItemIndex() const;
  // Moves the caret there and selects that item alone; -1 clears the
  // selection.
  void SetItemIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const;
  void ClearSelection();
  void SelectAll();

  int TopIndex() const;
  void SetTopIndex(int index);
  // The item at a client point, -1 outside the list or below its last item.
  int ItemAtPos(int x, int y) const;

  // The width the horizontal scroll bar scrolls over, in pixels.
  int HorizontalExtent() const;
  void SetHorizontalExtent(int width);
  int ItemHeight() const;
  void SetItemHeight(int height);

  // The font the list hands to its drawing; the caller keeps it alive.
  void SetFont(HFONT font);

  void DescribeState(StateList& state) const override;

  TNotifyEvent OnDblClick;
  // The user changed the selection (mouse or keyboard).
  TNotifyEvent OnChange;
  // Draws one item into its rectangle of the list's device context, which
  // holds the list's font.
  std::function<void(ListBox& list, int index, HDC dc, const RECT& rect, bool selected, bool focused)> OnDrawItem;

 protected:
  bool ParentNotification(WindowMessage& message) override;

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void CheckIndex(int index) const;
  void DrawItem(const DRAWITEMSTRUCT& draw);
  void DrawPlainItem(int index, HDC dc, const RECT& rect, bool selected, bool focused) const;

  bool multiSelect_;
  BrushHandle background_;
  ColourValue backgroundColour_ = kColourNone;
};

}  // namespace forms
