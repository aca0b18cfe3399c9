#include "desktop/SnapForm.h"

#include "base/Exception.h"
#include "forms/Form.h"

namespace desktop {

TSnapForm::TSnapForm(forms::TComponent* owner) : TComponent(owner), form_(dynamic_cast<forms::TForm*>(owner)) {
  if (!form_) throw sv::Exception("TSnapForm can only be placed on a TForm.");
  // Forms follow the mouse while dragged, so that snapping shows at once.
  SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, 1, nullptr, 0);
  int instances = 0;
  for (forms::TComponent* component : owner->Components()) instances += dynamic_cast<TSnapForm*>(component) != nullptr;
  if (instances >= 2) throw sv::Exception("Only one instance of TSnapForm is allowed per form.");
  UpdateWorkArea();
}

TSnapForm::~TSnapForm() = default;

void TSnapForm::SetActive(bool active) {
  if (active && form_->Handle()) {
    if (!hook_.Active()) hook_ = forms::ScopedMessageFilter(form_, [this](forms::WindowMessage& m) { return Filter(m); });
  } else {
    hook_.Reset();
  }
  active_ = active;
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

bool TSnapForm::Filter(forms::WindowMessage& message) {
  if (message.Msg == WM_DISPLAYCHANGE) {
    UpdateWorkArea();
    return false;
  }
  if (message.Msg != WM_WINDOWPOSCHANGING || !snapScreenBorder_) return false;
  auto* pos = reinterpret_cast<WINDOWPOS*>(message.LParam);
  // No move, nothing to snap: x and y mean nothing then.
  if (pos->flags & SWP_NOMOVE) return false;
  // A call that also resizes is snapped with its new size.
  const bool sized = !(pos->flags & SWP_NOSIZE);
  const int w = sized ? pos->cx : form_->Width(), h = sized ? pos->cy : form_->Height();
  SnapResult snapped = SnapToScreen(pos->x, pos->y, w, h, area_, SnapStrenght, MagnetiseScreenTo);
  if (OnScreenMagnetise) OnScreenMagnetise(this, snapped.Edges);
  pos->x = snapped.X;
  pos->y = snapped.Y;
  return false;
}

}  // namespace desktop
