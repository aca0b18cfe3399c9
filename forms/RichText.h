#pragma once
// A read-only rich-text view that shows lines of text (the about text).
#include <string>
#include <vector>

#include "forms/WindowedControl.h"

namespace forms {

class RichText : public WindowedControl {
 public:
  RichText(TComponent* owner, WindowedControl* parent, Bounds bounds);

  // Replaces the text by these lines, bold or not, and scrolls to the top.
  void SetLines(const std::vector<std::string>& lines, bool bold);
  std::string Text() const { return Caption(); }

  void DescribeState(StateList& state) const override;
};

}  // namespace forms
