#pragma once
// A component that makes its form snap to the screen's work area when it is
// dragged near an edge: it hooks the form's messages before the form's own
// handling, moves the proposed position of WM_WINDOWPOSCHANGING, and reads
// the work area again when the display changes.
//
// It can also magnetise its form to the forms of its list (their edges
// catch the form's opposite edges first, the screen's after) and, with
// ActiveStick, make the form follow the form it touches: moved, that form
// drags it along; resized, it keeps touching the edge that moves;
// minimized or maximized, the snapping pauses until it is restored. The
// player leaves the list empty and ActiveStick off.
#include <functional>

#include "desktop/MagnetiseList.h"
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
  // The form's edges that the listed forms catch.
  unsigned MagnetiseFormTo = kSnapAll;

  bool ActiveStick() const { return activeStick_; }
  // On: the form follows the form it touches, and its position is set again
  // at once so that the rules apply to where it stands. Off: it stays put.
  void SetActiveStick(bool stick);

  void UpdateWorkArea();
  const SnapArea& WorkArea() const { return area_; }

  // The forms to magnetise to; a form freed leaves the list by itself.
  const TListItemMagnetise& FormList() const { return list_; }
  void AddForm(forms::TForm* form);
  void RemoveForm(forms::TForm* form);
  // The form touched now and by which edges of ours; none and 0 when apart.
  forms::TForm* MagnetisedForm() const { return magnetised_; }
  unsigned MagnetisedEdges() const { return magnetisedEdges_; }
  // The form followed now: the touched one while ActiveStick is on.
  forms::TForm* StuckForm() const { return stuck_; }

  // The form came to touch a listed form; the handler may change the edges
  // and the form kept as touched (none: no contact).
  std::function<void(forms::TComponent* Sender, unsigned& EdgeMagnetise, forms::TForm*& FormMagnetise)> OnMagnetise;
  // The touching edges changed, the form being the same.
  std::function<void(forms::TComponent* Sender, unsigned& EdgeMagnetise, forms::TForm*& FormMagnetise)>
      OnModifMagnetise;
  // The contact with that form ended.
  std::function<void(forms::TComponent* Sender, forms::TForm*& FormMagnetise)> OnUnMagnetise;
  // Every position change of the form, with the screen edges that caught it
  // (0 for none); the handler may change them.
  std::function<void(forms::TComponent* Sender, unsigned& EdgeMagnetise)> OnScreenMagnetise;

 protected:
  void Notification(forms::TComponent* component, forms::ComponentOperation operation) override;

 private:
  bool Filter(forms::WindowMessage& message);
  bool StuckFormFilter(forms::WindowMessage& message);
  // The rules on a proposed position: the listed forms first, then the
  // screen's edges.
  void Place(int& x, int& y, int w, int h);
  // The listed forms' edges against the proposed position, which moves to
  // the first form that catches it; the events report how the contact
  // changed.
  void Magnetise(int& x, int& y, int w, int h);
  void Touch(forms::TForm* form, unsigned edges);
  void Untouch();
  void StickTo(forms::TForm* form);
  void Unstick();
  // The followed form moved or was resized: the form goes with it.
  void Follow();
  void UpdateHook();

  forms::TForm* form_;
  bool active_ = false;
  bool activeStick_ = false;
  bool snapScreenBorder_ = false;
  // The followed form is minimized or maximized: no snapping meanwhile.
  bool paused_ = false;
  // The form is being moved by the one it follows: no rule applies.
  bool following_ = false;
  SnapArea area_;
  TListItemMagnetise list_;
  forms::TForm* magnetised_ = nullptr;
  unsigned magnetisedEdges_ = 0;
  forms::TForm* stuck_ = nullptr;
  RECT stuckRect_{};
  forms::ScopedMessageFilter hook_;
  forms::ScopedMessageFilter stickHook_;
};

}  // namespace desktop
