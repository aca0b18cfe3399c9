// The snapping component on a real window: SetWindowPos near the work
// area's edge lands on it, the hook passes other moves through, listed
// forms catch the form and may carry it along, and the two creation errors
// leave nothing behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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

void MoveTo(forms::TForm* form, int x, int y) {
  SetWindowPos(form->Handle(), nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

// A form of 200 x 150 at (300, 200), and a form of 100 x 80 with its
// snapping component of strength 5, both shown; every event logged.
class MagnetiseTest : public SnapFormTest {
 protected:
  void SetUp() override {
    SnapFormTest::SetUp();
    other = forms::New<formstest::TFormProbe>(app.get(), "Other");
    other->SetBorderStyle(forms::BorderKind::None);
    other->ShowNoActivate();
    SetWindowPos(other->Handle(), nullptr, 300, 200, 200, 150, SWP_NOZORDER | SWP_NOACTIVATE);
    form = forms::New<formstest::TFormProbe>(app.get(), "Probe");
    form->SetBorderStyle(forms::BorderKind::None);
    form->ShowNoActivate();
    SetWindowPos(form->Handle(), nullptr, 700, 500, 100, 80, SWP_NOZORDER | SWP_NOACTIVATE);
    snap = forms::New<TSnapForm>(form, "SnapForm1");
    snap->SnapStrenght = 5;
    snap->SetActive(true);
    snap->OnMagnetise = [this](forms::TComponent*, unsigned& edges, forms::TForm*& with) {
      log.push_back("magnetise " + with->Name() + " " + std::to_string(edges));
    };
    snap->OnModifMagnetise = [this](forms::TComponent*, unsigned& edges, forms::TForm*& with) {
      log.push_back("modif " + with->Name() + " " + std::to_string(edges));
    };
    snap->OnUnMagnetise = [this](forms::TComponent*, forms::TForm*& with) { log.push_back("un " + with->Name()); };
  }
  POINT At() const {
    const RECT r = RectOf(form->Handle());
    return {r.left, r.top};
  }

  formstest::TFormProbe* other = nullptr;
  formstest::TFormProbe* form = nullptr;
  TSnapForm* snap = nullptr;
  std::vector<std::string> log;
};

TEST_F(MagnetiseTest, ListedFormsCatchTheFormAndEachContactIsReported) {
  // The list starts empty: no form catches it.
  EXPECT_EQ(snap->FormList().Count(), 0);
  MoveTo(form, 503, 250);
  EXPECT_EQ(At().x, 503);

  snap->AddForm(other);
  snap->AddForm(other);
  snap->AddForm(form);  // never itself
  ASSERT_EQ(snap->FormList().Count(), 1);
  // Its left edge near the other's right edge, beside it: caught.
  MoveTo(form, 503, 260);
  EXPECT_EQ(At().x, 500);
  EXPECT_EQ(At().y, 260);
  EXPECT_EQ(snap->MagnetisedForm(), other);
  EXPECT_EQ(snap->MagnetisedEdges(), kSnapLeft);
  EXPECT_EQ(snap->FormList().Item(0).State, kSnapLeft);
  // Along the same edge: no new event.
  MoveTo(form, 498, 280);
  EXPECT_EQ(At().x, 500);
  // To the other side in one move: the touching edge changes.
  MoveTo(form, 300 - 100 - 4, 280);
  EXPECT_EQ(At().x, 200);
  // Below it, apart: the contact ends.
  MoveTo(form, 250, 360);
  EXPECT_EQ(At().y, 360);
  EXPECT_EQ(snap->MagnetisedForm(), nullptr);
  EXPECT_EQ(snap->FormList().Item(0).State, 0);
  // Its top edge near the other's bottom edge, under it.
  MoveTo(form, 250, 353);
  EXPECT_EQ(At().y, 350);
  EXPECT_EQ(log, (std::vector<std::string>{"magnetise Other 2", "modif Other 4", "un Other", "magnetise Other 1"}));

  // Only the edges asked for catch; a refused contact is none.
  log.clear();
  snap->MagnetiseFormTo = kSnapTop | kSnapBottom;
  MoveTo(form, 503, 260);
  EXPECT_EQ(At().x, 503);
  EXPECT_EQ(log, (std::vector<std::string>{"un Other"}));
  snap->MagnetiseFormTo = kSnapAll;
  snap->OnMagnetise = [](forms::TComponent*, unsigned&, forms::TForm*& with) { with = nullptr; };
  MoveTo(form, 504, 260);
  EXPECT_EQ(snap->MagnetisedForm(), nullptr);

  // A listed form that is freed leaves the list.
  snap->OnMagnetise = nullptr;
  MoveTo(form, 502, 260);
  EXPECT_EQ(snap->MagnetisedForm(), other);
  log.clear();
  app->DeleteComponent(other);
  EXPECT_EQ(snap->FormList().Count(), 0);
  EXPECT_EQ(snap->MagnetisedForm(), nullptr);
  MoveTo(form, 503, 260);
  EXPECT_EQ(At().x, 503);
  EXPECT_TRUE(log.empty());

  TListItemMagnetise list;
  EXPECT_THROW(list.Item(0), sv::Exception);
  EXPECT_EQ(list.Add({nullptr, 3}), 0);
  EXPECT_EQ(list.Item(0).State, 3);
  EXPECT_THROW(list.SetItem(1, {}), sv::Exception);
}

TEST_F(MagnetiseTest, AStuckFormFollowsTheFormItTouches) {
  // Placed by the other before the other was listed: sticking takes it at once.
  MoveTo(form, 503, 260);
  snap->AddForm(other);
  EXPECT_EQ(snap->StuckForm(), nullptr);
  snap->SetActiveStick(true);
  EXPECT_EQ(At().x, 500);
  EXPECT_EQ(snap->StuckForm(), other);

  // The other moves: the form moves by as much.
  MoveTo(other, 340, 210);
  EXPECT_EQ(At().x, 540);
  EXPECT_EQ(At().y, 270);
  // The other grows to the right: the form keeps touching its right edge.
  SetWindowPos(other->Handle(), nullptr, 0, 0, 230, 150, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
  EXPECT_EQ(At().x, 570);
  EXPECT_EQ(At().y, 270);

  // Minimized, the other pauses the snapping; restored, it comes back.
  snap->SetSnapScreenBorder(true);
  const SnapArea area = snap->WorkArea();
  ShowWindow(other->Handle(), SW_MINIMIZE);
  EXPECT_EQ(At().x, 570);
  MoveTo(form, area.Left + 3, 270);
  EXPECT_EQ(At().x, area.Left + 3);
  ShowWindow(other->Handle(), SW_RESTORE);
  MoveTo(form, area.Left + 4, 270);
  EXPECT_EQ(At().x, area.Left);
  snap->SetSnapScreenBorder(false);

  // Sticking off: the other moves alone.
  MoveTo(form, 572, 270);
  ASSERT_EQ(snap->MagnetisedForm(), other);
  snap->SetActiveStick(false);
  EXPECT_EQ(snap->StuckForm(), nullptr);
  MoveTo(other, 300, 200);
  EXPECT_EQ(At().x, 570);

  // Freed while followed: nothing is left hooked to it.
  snap->SetActiveStick(true);
  MoveTo(form, 533, 260);
  ASSERT_EQ(snap->StuckForm(), other);
  app->DeleteComponent(other);
  EXPECT_EQ(snap->StuckForm(), nullptr);
  MoveTo(form, 600, 300);
  EXPECT_EQ(At().x, 600);
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
