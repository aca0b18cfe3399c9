#include "forms/LinkLabel.h"

#include "forms/Wide.h"

namespace forms {

LinkLabel::LinkLabel(TComponent* owner, WindowedControl* parent, Bounds bounds) : WindowedControl(owner) {
  CreateHandle("SorivanelLinkLabel", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, parent ? parent->Handle() : nullptr,
               "", bounds);
  SetParent(parent);
  font_.SetColor(0xFF0000);
  font_.OnChange = [this] { Invalidate(); };
}

void LinkLabel::SetCaption(std::string caption) {
  WindowedControl::SetCaption(std::move(caption));
  Invalidate();
}

void LinkLabel::PaintWindow(HDC dc) {
  RECT area{0, 0, Width(), Height()};
  const std::wstring text = widen(Caption());
  HGDIOBJ old = SelectObject(dc, font_.Handle());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(font_.Color()));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area, DT_NOPREFIX | DT_SINGLELINE | DT_LEFT | DT_TOP);
  SelectObject(dc, old);
}

void LinkLabel::HandleWindowMessage(WindowMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      if (!inside_) {
        inside_ = true;
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
        if (OnMouseEnter) OnMouseEnter(this);
      }
      break;
    case WM_MOUSELEAVE:
      inside_ = false;
      if (OnMouseLeave) OnMouseLeave(this);
      message.Result = 0;
      return;
    case WM_SETCURSOR:
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      message.Result = TRUE;
      return;
    default:
      break;
  }
  WindowedControl::HandleWindowMessage(message);
}

void LinkLabel::DescribeState(StateList& state) const {
  char colour[16];
  wsprintfA(colour, "%06X", static_cast<unsigned>(font_.Color()));
  state.emplace_back("FontColor", colour);
  state.emplace_back("Underline", font_.Underline() ? "1" : "0");
}

}  // namespace forms
