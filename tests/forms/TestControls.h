#pragma once
// Two plain controls for the form-layer tests and the demo program, enough
// to exercise windowless painting and hit testing and child windows before
// the real controls exist.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "forms/Control.h"
#include "forms/WindowedControl.h"

namespace formstest {

// A windowless control filled with one colour.
class ColourPad : public forms::Control {
 public:
  ColourPad(forms::TComponent* owner, forms::WindowedControl* parent, forms::Bounds bounds, COLORREF colour)
      : Control(owner), Colour(colour) {
    bounds_ = bounds;
    SetParent(parent);
  }

  COLORREF Colour;

  void Paint(HDC dc) override {
    RECT area{0, 0, Width(), Height()};
    HBRUSH brush = CreateSolidBrush(Colour);
    FillRect(dc, &area, brush);
    DeleteObject(brush);
  }

  void DescribeState(forms::StateList& state) const override {
    char text[16];
    std::snprintf(text, sizeof(text), "%06lX", static_cast<unsigned long>(Colour));
    state.emplace_back("Colour", text);
  }
};

// A child window of our own class that records the keys it receives.
class PlainPanel : public forms::WindowedControl {
 public:
  PlainPanel(forms::TComponent* owner, forms::WindowedControl* parent, forms::Bounds bounds) : WindowedControl(owner) {
    CreateHandle("TPlainPanel", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, parent->Handle(), "", bounds);
    SetParent(parent);
  }

  std::vector<std::uint16_t> Keys;

 protected:
  void KeyDown(std::uint16_t& key, forms::ShiftState) override { Keys.push_back(key); }
};

}  // namespace formstest
