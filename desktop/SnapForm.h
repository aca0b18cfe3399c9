#pragma once
// A component that makes its form snap to the screen's work area when it is
// dragged near an edge: it hooks the form's messages before the form's own
// handling, moves the proposed position of WM_WINDOWPOSCHANGING, and reads
// the work area again when the display changes. Magnetising to other forms
// and sticking are not offered: no form of these programs uses them.
#include <functional>

#include "desktop/SnapRules.h"
#include "forms/Component.h"
#include "forms/WindowedControl.h"

namespace forms {
class TForm;
}

namespace desktop {

class TSnapForm : public forms::TComponent {
 public:
  // Raises sv::Exception when the owner is not a form, or already has one.
  explicit TSnapForm(forms::TComponent* owner);
  ~TSnapForm() override;

  bool Active() const { return active_; }
  // Hooks the form (when its window exists) or lets it go.
  void SetActive(bool active);
  int SnapStrenght = 20;
  bool SnapScreenBorder() const { return snapScreenBorder_; }
  void SetSnapScreenBorder(bool snap);
  unsigned MagnetiseScreenTo = kSnapAll;

  void UpdateWorkArea();
  const SnapArea& WorkArea() const { return area_; }

  // Every position change of the form, with the edges that caught it (0 for
  // none); the handler may change them.
  std::function<void(forms::TComponent* Sender, unsigned& EdgeMagnetise)> OnScreenMagnetise;

 private:
  bool Filter(forms::WindowMessage& message);

  forms::TForm* form_;
  bool active_ = false;
  bool snapScreenBorder_ = false;
  SnapArea area_;
  forms::ScopedMessageFilter hook_;
};

}  // namespace desktop
