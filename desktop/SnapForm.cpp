#include "desktop/SnapForm.h"

#include "base/Exception.h"
#include "forms/Form.h"

namespace desktop {

namespace {

RECT WindowRectOf(const forms::TForm* form) {
  RECT rect{};
  GetWindowRect(form->Handle(), &rect);
  return rect;
}

SnapRect ToSnap(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

}  // namespace

TSnapForm::TSnapForm(forms::TComponent* owner) : TComponent(owner), form_(dynamic_cast<forms::TForm*>(owner)) {
  if (!form_) throw sv::Exception("TSnapForm can only be placed on a TForm.");
  // Forms follow the mouse while dragged, so that snapping shows at once.
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 1, nullptr, 0);
  int instances = 0;
  for (forms::TComponent* component : owner->Components()) instances += dynamic_cast<TSnapForm*>(component) != nullptr;
  if (instances >= 2) throw sv::Exception("Only one instance of TSnapForm is allowed per form.");
  UpdateWorkArea();
}

TSnapForm::~TSnapForm() {
  stickHook_.Reset();
  hook_.Reset();
}

void TSnapForm::UpdateHook() {
  if (active_ && !paused_ && form_->Handle()) {
    if (!hook_.Active()) hook_ = forms::ScopedMessageFilter(form_, [this](forms::WindowMessage& m) { return Filter(m); });
  } else {
    hook_.Reset();
  }
}

void TSnapForm::SetActive(bool active) {
  active_ = active;
  UpdateHook();
}

void TSnapForm::SetSnapScreenBorder(bool snap) {
  UpdateWorkArea();
  snapScreenBorder_ = snap;
}

void TSnapForm::UpdateWorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  area_ = {work.left, work.top, work.right - work.left, work.bottom - work.top};
}

void TSnapForm::SetActiveStick(bool stick) {
  activeStick_ = stick;
  if (!stick) {
    Unstick();
    return;
  }
  HWND window = form_->Handle();
  if (!window) return;
  // The rules where the form stands now: a form it touches holds it at once.
  const RECT rect = WindowRectOf(form_);
  int x = rect.left, y = rect.top;
  if (hook_.Active()) Place(x, y, rect.right - rect.left, rect.bottom - rect.top);
  if (magnetised_) StickTo(magnetised_);
  if (x != rect.left || y != rect.top) SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TSnapForm::AddForm(forms::TForm* form) {
  if (!form || form == form_ || list_.IndexOf(form) >= 0) return;
  list_.Add({form, 0});
  FreeNotification(form);
}

void TSnapForm::RemoveForm(forms::TForm* form) {
  const int index = list_.IndexOf(form);
  if (index < 0) return;
  if (form == magnetised_) Untouch();
  list_.Delete(index);
}

void TSnapForm::Notification(forms::TComponent* component, forms::ComponentOperation operation) {
  if (operation == forms::ComponentOperation::Remove) {
    // A form going away ends its contact without an event: it is half gone.
    if (component == static_cast<forms::TComponent*>(stuck_)) Unstick();
    if (component == static_cast<forms::TComponent*>(magnetised_)) {
      magnetised_ = nullptr;
      magnetisedEdges_ = 0;
    }
    for (int i = list_.Count() - 1; i >= 0; --i)
      if (static_cast<forms::TComponent*>(list_.Item(i).Form) == component) list_.Delete(i);
  }
  TComponent::Notification(component, operation);
}

bool TSnapForm::Filter(forms::WindowMessage& message) {
  if (message.Msg == WM_DISPLAYCHANGE) {
    UpdateWorkArea();
    return false;
  }
  if (message.Msg != WM_WINDOWPOSCHANGING || following_) return false;
  auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
  // No move, nothing to snap: x and y mean nothing then.
  if (pos->flags & SWP_NOMOVE) return false;
  // A call that also resizes is snapped with its new size.
  const bool sized = !(pos->flags & SWP_NOSIZE);
  int x = pos->x, y = pos->y;
  Place(x, y, sized ? pos->cx : form_->Width(), sized ? pos->cy : form_->Height());
  pos->x = x;
  pos->y = y;
  return false;
}

void TSnapForm::Place(int& x, int& y, int w, int h) {
  Magnetise(x, y, w, h);
  if (!snapScreenBorder_) return;
  SnapResult snapped = SnapToScreen(x, y, w, h, area_, SnapStrenght, MagnetiseScreenTo);
  if (OnScreenMagnetise) OnScreenMagnetise(this, snapped.Edges);
  x = snapped.X;
  y = snapped.Y;
}

void TSnapForm::Magnetise(int& x, int& y, int w, int h) {
  forms::TForm* found = nullptr;
  unsigned edges = 0;
  const int proposedX = x, proposedY = y;
  for (int i = 0; i < list_.Count(); ++i) {
    MagnetiseEntry entry = list_.Item(i);
    entry.State = 0;
    HWND other = entry.Form->Handle();
    if (other && IsWindowVisible(other) && !IsIconic(other)) {
      const SnapResult caught =
          SnapToForm(proposedX, proposedY, w, h, ToSnap(WindowRectOf(entry.Form)), SnapStrenght, MagnetiseFormTo);
      entry.State = static_cast<std::uint16_t>(caught.Edges);
      // The first form of the list that catches the proposal places it.
      if (caught.Edges && !found) {
        found = entry.Form;
        edges = caught.Edges;
        x = caught.X;
        y = caught.Y;
      }
    }
    list_.SetItem(i, entry);
  }
  if (found && found == magnetised_) {
    if (edges == magnetisedEdges_) return;
    if (OnModifMagnetise) OnModifMagnetise(this, edges, found);
    Touch(found, edges);
    return;
  }
  Untouch();
  if (!found) return;
  if (OnMagnetise) OnMagnetise(this, edges, found);
  Touch(found, edges);
}

void TSnapForm::Touch(forms::TForm* form, unsigned edges) {
  if (form != magnetised_) Unstick();
  // The handler may have refused the contact.
  if (!form || edges == 0) {
    Unstick();
    magnetised_ = nullptr;
    magnetisedEdges_ = 0;
    return;
  }
  magnetised_ = form;
  magnetisedEdges_ = edges;
  FreeNotification(form);
  if (activeStick_) StickTo(form);
}

void TSnapForm::Untouch() {
  if (!magnetised_) return;
  forms::TForm* form = magnetised_;
  magnetised_ = nullptr;
  magnetisedEdges_ = 0;
  Unstick();
  if (OnUnMagnetise) OnUnMagnetise(this, form);
}

void TSnapForm::StickTo(forms::TForm* form) {
  if (stuck_ == form) return;
  Unstick();
  if (!form->Handle()) return;
  stuck_ = form;
  FreeNotification(form);
  stuckRect_ = WindowRectOf(form);
  stickHook_ = forms::ScopedMessageFilter(form, [this](forms::WindowMessage& m) { return StuckFormFilter(m); });
}

void TSnapForm::Unstick() {
  stickHook_.Reset();
  stuck_ = nullptr;
  if (paused_) {
    paused_ = false;
    UpdateHook();
  }
}

bool TSnapForm::StuckFormFilter(forms::WindowMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
      if (message.WParam == SIZE_MINIMIZED || message.WParam == SIZE_MAXIMIZED) {
        paused_ = true;
        UpdateHook();
      } else if (message.WParam == SIZE_RESTORED && paused_) {
        paused_ = false;
        UpdateHook();
      }
      break;
    case WM_WINDOWPOSCHANGED:
      Follow();
      break;
    case WM_DESTROY:
      Unstick();
      magnetised_ = nullptr;
      magnetisedEdges_ = 0;
      break;
    default:
      break;
  }
  return false;
}

void TSnapForm::Follow() {
  HWND other = stuck_->Handle();
  // Minimized or maximized, the form is not where it will come back to.
  if (IsIconic(other) || IsZoomed(other)) return;
  const RECT after = WindowRectOf(stuck_);
  if (EqualRect(&after, &stuckRect_)) return;
  const SnapRect moved = FollowStuckForm(ToSnap(WindowRectOf(form_)), ToSnap(stuckRect_), ToSnap(after), magnetisedEdges_);
  stuckRect_ = after;
  following_ = true;
  SetWindowPos(form_->Handle(), nullptr, moved.Left, moved.Top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  following_ = false;
}

}  // namespace desktop
