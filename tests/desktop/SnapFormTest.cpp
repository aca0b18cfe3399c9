// The snapping component on a real window: SetWindowPos near the work
// area's edge lands on it, the hook passes other moves through, and the
// two creation errors leave nothing behind.
#include <gtest/gtest.h>

#include "base/Exception.h"
#include "desktop/SnapForm.h"
#include "tests/forms/AppFixture.h"

namespace desktop {
namespace {

class SnapFormTest : public formstest::ApplicationTest {};

RECT RectOf(HWND window) {
  RECT r{};
  GetWindowRect(window, &r);
  return r;
}

TEST_F(SnapFormTest, MovesNearTheWorkAreaEdgesSnap) {
  auto* form = forms::New<formstest::TFormProbe>(app.get(), "Probe");
  form->SetBorderStyle(forms::BorderKind::None);
  auto* snap = forms::New<TSnapForm>(form, "SnapForm1");
  snap->SnapStrenght = 5;
  snap->SetSnapScreenBorder(true);
  snap->SetActive(true);
  std::vector<unsigned> reported;
  snap->OnScreenMagnetise = [&](forms::TComponent*, unsigned& edges) { reported.push_back(edges); };
  form->ShowNoActivate();
  const SnapArea area = snap->WorkArea();

  SetWindowPos(form->Handle(), nullptr, area.Left + 4, area.Top + 100, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(RectOf(form->Handle()).left, area.Left);
  EXPECT_EQ(RectOf(form->Handle()).top, area.Top + 100);
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(reported.back(), kSnapLeft);
  SetWindowPos(form->Handle(), nullptr, area.Left + 6, area.Top + 100, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(RectOf(form->Handle()).left, area.Left + 6);
  EXPECT_EQ(reported.back(), 0u);
  // Moved and resized at once: the new width decides the right edge.
  const int right = area.Left + area.Width;
  SetWindowPos(form->Handle(), nullptr, right - 400 + 3, area.Top + 100, 400, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_EQ(RectOf(form->Handle()).right, right);
  // A size change alone never moves the window.
  const std::size_t before = reported.size();
  SetWindowPos(form->Handle(), nullptr, 0, 0, 410, 200, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_EQ(RectOf(form->Handle()).left, right - 400);
  EXPECT_EQ(reported.size(), before);

  snap->SetActive(false);
  SetWindowPos(form->Handle(), nullptr, area.Left + 4, area.Top + 100, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(RectOf(form->Handle()).left, area.Left + 4);
}

TEST_F(SnapFormTest, CreationErrorsLeaveNoComponentBehind) {
  auto* form = forms::New<formstest::TFormProbe>(app.get(), "Probe");
  const std::size_t appComponents = app->ComponentCount();
  try {
    forms::New<TSnapForm>(app.get(), "Snap");
    ADD_FAILURE() << "no error";
  } catch (const sv::Exception& error) {
    EXPECT_STREQ(error.what(), "TSnapForm can only be placed on a TForm.");
  }
  EXPECT_EQ(app->ComponentCount(), appComponents);
  forms::New<TSnapForm>(form, "SnapForm1");
  const std::size_t formComponents = form->ComponentCount();
  try {
    forms::New<TSnapForm>(form, "SnapForm2");
    ADD_FAILURE() << "no error";
  } catch (const sv::Exception& error) {
    EXPECT_STREQ(error.what(), "Only one instance of TSnapForm is allowed per form.");
  }
  EXPECT_EQ(form->ComponentCount(), formComponents);
}

}  // namespace
}  // namespace desktop
