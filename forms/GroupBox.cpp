#include "forms/GroupBox.h"

#include <algorithm>

#include "forms/DialogFont.h"
#include "forms/Wide.h"

namespace forms {

namespace {
// The caption's height, and the room the radio buttons leave to the frame.
constexpr int kCaptionHeight = 14;
constexpr int kButtonHeight = 17;
}  // namespace

GroupBox::GroupBox(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  CreateHandle("SorivanelGroupBox", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
               parent ? parent->Handle() : nullptr, "", bounds);
  SetParent(parent);
}

void GroupBox::SetCaption(std::string caption) {
  WindowedControl::SetCaption(std::move(caption));
  Invalidate();
}

void GroupBox::PaintWindow(HDC dc) {
  RECT frame{0, kCaptionHeight / 2, Width(), Height()};
  DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
  const std::wstring text = widen(Caption());
  if (text.empty()) return;
  HGDIOBJ old = SelectObject(dc, DialogFont());
  SetBkMode(dc, OPAQUE);
  SetBkColor(dc, ToColorRef(Color()));
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  RECT area{8, 0, Width() - 8, kCaptionHeight};
  RECT measured = area;
  DrawTextW(dc, (L" " + text + L" ").c_str(), -1, &measured, DT_NOPREFIX | DT_SINGLELINE | DT_CALCRECT);
  area.right = std::min(area.right, measured.right);
  DrawTextW(dc, (L" " + text + L" ").c_str(), -1, &area, DT_NOPREFIX | DT_SINGLELINE | DT_END_ELLIPSIS);
  SelectObject(dc, old);
}

RadioGroup::RadioGroup(TComponent* owner, WindowedControl* parent, Bounds bounds) : GroupBox(owner, parent, bounds) {}

void RadioGroup::SetItems(const std::vector<std::string>& items) {
  for (RadioButton* button : buttons_) DeleteComponent(button);
  buttons_.clear();
  itemIndex_ = -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* button = New<RadioButton>(this, "", this, Bounds{8, 0, Width() - 16, kButtonHeight});
    button->SetCaption(items[i]);
    const int index = static_cast<int>(i);
    button->OnClick = [this, index](TComponent*) { ButtonClicked(index); };
    buttons_.push_back(button);
  }
  LayOut();
}

void RadioGroup::LayOut() {
  if (buttons_.empty()) return;
  const int room = Height() - kCaptionHeight - 4;
  const int step = std::max(kButtonHeight, room / static_cast<int>(buttons_.size()));
  for (std::size_t i = 0; i < buttons_.size(); ++i)
    buttons_[i]->SetBounds(8, kCaptionHeight + static_cast<int>(i) * step + (step - kButtonHeight) / 2, Width() - 16,
                           kButtonHeight);
}

std::string RadioGroup::Item(int index) const {
  if (index < 0 || index >= Count()) return {};
  return buttons_[static_cast<std::size_t>(index)]->Caption();
}

void RadioGroup::SetItem(int index, const std::string& text) {
  if (index < 0 || index >= Count()) return;
  buttons_[static_cast<std::size_t>(index)]->SetCaption(text);
}

void RadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= Count()) index = -1;
  itemIndex_ = index;
  for (int i = 0; i < Count(); ++i) buttons_[static_cast<std::size_t>(i)]->SetChecked(i == index);
}

void RadioGroup::ButtonClicked(int index) {
  SetItemIndex(index);
  if (OnClick) OnClick(this);
}

void RadioGroup::DescribeState(StateList& state) const {
  state.emplace_back("ItemIndex", std::to_string(itemIndex_));
  state.emplace_back("Caption", Caption());
  for (int i = 0; i < Count(); ++i) state.emplace_back("Item" + std::to_string(i), Item(i));
}

}  // namespace forms
