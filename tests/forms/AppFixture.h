#pragma once
// A fresh application object for each in-process test.
#include <gtest/gtest.h>

#include <memory>

#include "forms/Application.h"
#include "forms/Form.h"

namespace formstest {

inline constexpr char kTestTitle[] = "Sorivanel Forms Test";

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app = std::make_unique<forms::TApplication>();
    app->SetTitle(kTestTitle);
  }

  void TearDown() override {
    app.reset();
    // A quit request or messages left by the test must not reach the next.
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
      if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
  }

  std::unique_ptr<forms::TApplication> app;
};

// A form of its own class, owned by the application.
class TFormProbe : public forms::TForm {
 public:
  explicit TFormProbe(forms::TComponent* owner, const std::string& className = "TFormProbe") : TForm(owner, className) {
    SetCaption("Probe");
  }
};

}  // namespace formstest
