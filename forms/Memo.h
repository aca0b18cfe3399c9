#pragma once
// The system's multi-line edit field, read-only, without word wrap: a text
// the user reads and scrolls (a log).
#include <cstddef>
#include <string>

#include "forms/WindowedControl.h"

namespace forms {

class Memo : public WindowedControl {
 public:
  // The field holds at most maxCharacters.
  Memo(TComponent* owner, WindowedControl* parent, Bounds bounds, std::size_t maxCharacters);

  std::string Text() const { return Caption(); }
  // Lines end with CR LF.
  void SetText(const std::string& text);

  void DescribeState(StateList& state) const override;
};

}  // namespace forms
