// Language texts put into real forms: captions read back from the windows,
// menu items, hints, the texts only a window of its own takes, and the
// lookup of the open secondary windows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/Application.h"
#include "forms/Form.h"
#include "forms/Panel.h"
#include "forms/ShortcutMenu.h"
#include "forms/Wide.h"
#include "player/app/Unit_Langue_Apply.h"

namespace player {
namespace {

std::string WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return forms::narrow(text);
}

class FormOf : public forms::TForm {
 public:
  FormOf(forms::TComponent* owner, const std::string& className) : TForm(owner, className) {}
};

// A form that records what only it can take.
class TargetForm : public forms::TForm, public LanguageTarget {
 public:
  explicit TargetForm(forms::TComponent* owner) : TForm(owner, "TFormOptions") {}
  void ApplyLanguageText(const LanguageText& text) override { received.push_back(text); }
  std::vector<LanguageText> received;
};

class LanguageWindows : public ::testing::Test {
 protected:
  void SetUp() override { app = std::make_unique<forms::TApplication>(); }
  void TearDown() override {
    app.reset();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  std::unique_ptr<forms::TApplication> app;
};

TEST_F(LanguageWindows, CaptionsMenuItemsAndHintsReachTheirComponents) {
  auto* form = app->CreateForm<FormOf>("TFormRecherche");
  auto* group = forms::New<forms::Panel>(form, "GroupBox3", form, forms::Bounds{0, 0, 100, 40});
  auto* inner = forms::New<forms::Panel>(form, "Inner", group, forms::Bounds{0, 0, 50, 20});
  auto* check = forms::New<forms::Control>(inner, "CheckSsRep");
  auto* menu = forms::New<forms::ShortcutMenu>(form, "PopupMenu1");
  forms::MenuEntry* item = menu->Add("before", "Label1");

  const LanguageFile file("lang-test.ini",
                          "[RECHERCHE]\nFormCaption=Рecherche 検索\nGroupBox3=\nCheckSsRep=With sub-folders\n"
                          "Label1=Menu text\n");
  ApplyLanguageTexts(*form, ResolveLanguageTexts(LangWindow::Search, file, "3.30"));
  EXPECT_EQ(WindowText(form->Handle()), "Рecherche 検索");
  EXPECT_EQ(WindowText(group->Handle()), "");  // empty value: blank, not the default
  EXPECT_EQ(check->Caption(), "With sub-folders");  // owned deeper down
  EXPECT_EQ(item->Caption, "Menu text");

  // Hints; the targets the form lacks are skipped.
  auto* button = forms::New<forms::Control>(form, "SpdBtnPlay");
  button->SetCaption("glyph");
  ApplyLanguageTexts(*form, {{"SpdBtnPlay", TextKind::Hint, 0, "Play", {}},
                             {"Missing", TextKind::Caption, 0, "x", {}},
                             {"Notebook", TextKind::PageTitle, 2, "x", {}},
                             {"SpdBtnPlay", TextKind::Item, 0, "x", {}}});
  EXPECT_EQ(button->Hint, "Play");
  EXPECT_EQ(button->Caption(), "glyph");
}

TEST_F(LanguageWindows, AWindowOfItsOwnTakesPagesItemsListsAndTheRefresh) {
  auto* form = app->CreateForm<TargetForm>();
  auto* label = forms::New<forms::Control>(form, "LabelVersion");
  auto* link = forms::New<forms::Control>(form, "LabelOpenAudioScrobblerLog");
  int clicks = 0;
  link->OnClick = [&](forms::TComponent*) { ++clicks; };

  ApplyLanguageTexts(*form, ResolveLanguageTexts(LangWindow::Options, LanguageFile("missing/lang-en.ini"), "3.30"));
  EXPECT_EQ(WindowText(form->Handle()), "Sorivanel - Options");
  EXPECT_EQ(label->Caption(), "v3.30");
  EXPECT_EQ(link->Caption(), "< Rafraîchir >");
  int pages = 0, items = 0;
  for (const LanguageText& text : form->received) {
    pages += text.Kind == TextKind::PageTitle;
    items += text.Kind == TextKind::Item;
    EXPECT_NE(text.Kind, TextKind::Caption) << text.Component;
    EXPECT_NE(text.Kind, TextKind::Hint) << text.Component;
  }
  EXPECT_EQ(pages, 9);
  EXPECT_EQ(items, 8);  // two for each of the four radio groups
  ASSERT_FALSE(form->received.empty());
  EXPECT_EQ(form->received.back().Component, "ListBoxPages");
  // The log view is reloaded once its link has its caption.
  EXPECT_EQ(clicks, 1);
}

TEST_F(LanguageWindows, OnlyOpenSecondaryWindowsAreFound) {
  EXPECT_EQ(OpenLanguageForm(LangWindow::TagEditor), nullptr);
  auto* editor = app->CreateForm<FormOf>("TFormTag");
  auto* search = app->CreateForm<FormOf>("TSomething");
  search->SetName("FormRecherche");
  EXPECT_EQ(OpenLanguageForm(LangWindow::TagEditor), editor);
  EXPECT_EQ(OpenLanguageForm(LangWindow::Search), search);
  EXPECT_EQ(OpenLanguageForm(LangWindow::Options), nullptr);
  EXPECT_EQ(OpenLanguageForm(LangWindow::Equalizer), nullptr);
  EXPECT_EQ(OpenLanguageForm(LangWindow::Main), nullptr);
  app->DeleteComponent(editor);
  EXPECT_EQ(OpenLanguageForm(LangWindow::TagEditor), nullptr);
}

}  // namespace
}  // namespace player
