// Forms: class names, showing and closing, deferred freeing, the message
// path (filters, handlers, default handler, outside subclassing), window
// styles, key preview, the dialog keys and the windowless mouse path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/Application.h"
#include "forms/Buttons.h"
#include "forms/Edit.h"
#include "forms/GroupBox.h"
#include "tests/forms/AppFixture.h"
#include "tests/forms/TestControls.h"
#include "tests/support/TestSupport.h"

namespace {

using forms::CloseAction;
using forms::TComponent;
using forms::WindowMessage;
using formstest::ApplicationTest;
using formstest::ColourPad;
using formstest::PlainPanel;
using formstest::TFormProbe;

constexpr UINT kPing = WM_APP + 2;

using FormTest = ApplicationTest;

// Checks, while it is being made, that its owner form already has a window,
// and hooks it as the tray icon and the snapping component do.
class HookingComponent : public TComponent {
 public:
  HookingComponent(TComponent* owner, std::vector<std::string>* log) : TComponent(owner) {
    auto* form = dynamic_cast<forms::TForm*>(owner);
    HadWindow = form && form->Handle();
    filter_ = forms::ScopedMessageFilter(form, [log](WindowMessage& m) {
      if (m.Msg == kPing) log->push_back("component");
      return false;
    });
  }
  bool HadWindow = false;

 private:
  forms::ScopedMessageFilter filter_;
};

// Overrides the default handler, as the player's main window does for its
// registered hand-over message.
class TFormDefault : public forms::TForm {
 public:
  explicit TFormDefault(TComponent* owner) : TForm(owner, "TFormDefault") {}
  std::vector<UINT> Defaulted;

  void DefaultHandler(WindowMessage& message) override {
    TForm::DefaultHandler(message);
    if (message.Msg >= WM_APP) {
      Defaulted.push_back(message.Msg);
      message.Result = 99;
    }
  }
};

std::vector<std::string>* subclassLog = nullptr;
WNDPROC previousProcedure = nullptr;

LRESULT CALLBACK OutsideSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kPing) subclassLog->push_back("outside");
  return CallWindowProcW(previousProcedure, window, message, wParam, lParam);
}

TEST_F(FormTest, WindowClassIsTheFormClassNameAndOwnedByTheApplication) {
  auto* form = app->CreateForm<TFormProbe>("TForm1");
  form->SetCaption("Sorivanel");
  EXPECT_EQ(FindWindowW(L"TForm1", L"Sorivanel"), form->Handle());
  auto probe = svtest::RunProbe({"findwindow", "TForm1", "Sorivanel"});
  EXPECT_EQ(probe.exitCode, 0u);
  EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), app->Handle());
  EXPECT_EQ(form->ClassName(), "TForm1");
  EXPECT_EQ(forms::WindowedControl::FromHandle(form->Handle()), form);
}

TEST_F(FormTest, WindowExistsBeforeComponentsAndOutlivesThem) {
  std::vector<std::string> log;
  auto* form = app->CreateForm<TFormProbe>();
  auto* hooking = forms::New<HookingComponent>(form, "Snap", &log);
  EXPECT_TRUE(hooking->HadWindow);
  SendMessageW(form->Handle(), kPing, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"component"}));
  // Freeing the form frees the component first, which unhooks a live window.
  HWND window = form->Handle();
  app->DeleteComponent(form);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(FormTest, OnShowRunsAtEveryShowingFromHidden) {
  auto* form = app->CreateForm<TFormProbe>();
  int shows = 0;
  form->OnShow = [&](TComponent*) { ++shows; };
  form->Show();
  form->Show();
  EXPECT_EQ(shows, 1) << "showing a shown form only brings it forward";
  form->Hide();
  form->SetVisible(true);
  EXPECT_EQ(shows, 2);
  form->Hide();
  form->ShowNoActivate();
  EXPECT_EQ(shows, 3);
}

TEST_F(FormTest, ShowNoActivateLeavesTheFocusWhereItWas) {
  auto* active = app->CreateForm<TFormProbe>();
  auto* bubble = app->CreateForm<TFormProbe>("TFormBubble");
  bubble->SetStayOnTop(true);
  active->Show();
  SetForegroundWindow(active->Handle());
  svtest::PumpMessages();
  ASSERT_EQ(GetActiveWindow(), active->Handle());
  bubble->ShowNoActivate();
  svtest::PumpMessages();
  EXPECT_TRUE(bubble->Visible());
  EXPECT_EQ(GetActiveWindow(), active->Handle());
  EXPECT_TRUE(GetWindowLongPtrW(bubble->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(FormTest, CloseAsksFirstThenHidesByDefault) {
  app->CreateForm<TFormProbe>();  // the main form
  auto* form = app->CreateForm<TFormProbe>("TFormSearch");
  form->SetName("FormRecherche");
  std::vector<std::string> log;
  bool allow = false;
  form->OnCloseQuery = [&](TComponent*, bool& canClose) {
    log.push_back("query");
    canClose = allow;
  };
  form->OnClose = [&](TComponent*, CloseAction&) { log.push_back("close"); };
  form->Show();
  form->Close();
  EXPECT_TRUE(form->Visible());
  allow = true;
  SendMessageW(form->Handle(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(log, (std::vector<std::string>{"query", "query", "close"}));
  EXPECT_EQ(app->FindComponent(form->Name()), form);
  EXPECT_FALSE(app->Terminated());
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "only the main form ends the program";
}

TEST_F(FormTest, FreeOnCloseDeletesTheFormAfterTheHandlerReturns) {
  app->CreateForm<TFormProbe>();
  auto* options = app->CreateForm<TFormProbe>("TFormOptions");
  options->SetName("FormOptions");
  TFormProbe* globalPointer = options;  // as the player's FormOptions
  bool aliveAfterClose = false;
  options->OnClose = [&](TComponent*, CloseAction& action) { action = CloseAction::Free; };
  options->SetMessageHandler(kPing, [&](WindowMessage&) {
    options->Close();
    aliveAfterClose = app->FindComponent("FormOptions") == options;
  });
  struct Clearer : forms::TComponent {
    using TComponent::TComponent;
    TFormProbe** pointer = nullptr;
    void Notification(TComponent* component, forms::ComponentOperation operation) override {
      if (operation == forms::ComponentOperation::Remove && component == *pointer) *pointer = nullptr;
    }
  };
  auto clearer = forms::NewUnowned<Clearer>("Clearer");
  clearer->pointer = &globalPointer;
  clearer->FreeNotification(options);

  HWND window = options->Handle();
  SendMessageW(window, kPing, 0, 0);
  EXPECT_TRUE(aliveAfterClose);
  EXPECT_TRUE(IsWindow(window));
  app->ProcessMessages();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(app->FindComponent("FormOptions"), nullptr);
  EXPECT_EQ(globalPointer, nullptr);
}

TEST_F(FormTest, ReleaseWaitsForAHandlerThatRunsTheLoop) {
  auto* form = app->CreateForm<TFormProbe>("TFormTag");
  HWND window = form->Handle();
  bool aliveInsideLoop = false;
  form->SetMessageHandler(kPing, [&](WindowMessage&) {
    form->Release();
    app->ProcessMessages();  // the release message is taken here ...
    aliveInsideLoop = IsWindow(window) && form->Caption() == "Probe";
  });
  SendMessageW(window, kPing, 0, 0);
  EXPECT_TRUE(aliveInsideLoop);
  app->ProcessMessages();  // ... and acted on once the handler is done
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(app->ComponentCount(), 0u);
}

TEST_F(FormTest, FiltersRunNewestFirstAndCanBeRemovedInAnyOrder) {
  auto* form = app->CreateForm<TFormProbe>();
  std::vector<std::string> log;
  auto add = [&](const std::string& name, bool answer) {
    return form->AddMessageFilter([&log, name, answer](WindowMessage& m) {
      if (m.Msg != kPing) return false;
      log.push_back(name);
      m.Result = 5;
      return answer;
    });
  };
  form->SetMessageHandler(kPing, [&](WindowMessage& m) {
    log.push_back("form");
    m.Result = 1;
  });
  auto tray = add("tray", false);
  auto snap = add("snap", false);
  auto guard = add("guard", true);
  EXPECT_EQ(SendMessageW(form->Handle(), kPing, 0, 0), 5);
  EXPECT_EQ(log, (std::vector<std::string>{"guard"}));
  form->RemoveMessageFilter(guard);
  log.clear();
  EXPECT_EQ(SendMessageW(form->Handle(), kPing, 0, 0), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"snap", "tray", "form"}));
  form->RemoveMessageFilter(tray);  // out of order
  log.clear();
  SendMessageW(form->Handle(), kPing, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"snap", "form"}));
  form->RemoveMessageFilter(snap);
  log.clear();
  SendMessageW(form->Handle(), kPing, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"form"}));
}

TEST_F(FormTest, FilterRemovingItselfOrAnotherDuringAMessage) {
  auto* form = app->CreateForm<TFormProbe>();
  std::vector<std::string> log;
  forms::FilterId older = form->AddMessageFilter([&](WindowMessage& m) {
    if (m.Msg == kPing) log.push_back("older");
    return false;
  });
  forms::FilterId newer = 0;
  newer = form->AddMessageFilter([&](WindowMessage& m) {
    if (m.Msg != kPing) return false;
    log.push_back("newer");
    form->RemoveMessageFilter(newer);
    form->RemoveMessageFilter(older);
    return false;
  });
  SendMessageW(form->Handle(), kPing, 0, 0);
  SendMessageW(form->Handle(), kPing, 0, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"newer"}));
}

TEST_F(FormTest, UnhandledMessagesReachTheDefaultHandler) {
  auto* form = app->CreateForm<TFormDefault>();
  UINT handOver = RegisterWindowMessageW(L"WM_ENVOI_ATOM");
  form->SetMessageHandler(kPing, [](WindowMessage& m) { m.Result = 3; });
  EXPECT_EQ(SendMessageW(form->Handle(), handOver, 0, 0), 99);
  EXPECT_EQ(SendMessageW(form->Handle(), kPing, 0, 0), 3);
  EXPECT_EQ(form->Defaulted, (std::vector<UINT>{handOver}));
}

TEST_F(FormTest, OutsideSubclassingKeepsTheFormWorking) {
  auto* form = app->CreateForm<TFormProbe>();
  std::vector<std::string> log;
  subclassLog = &log;
  form->SetMessageHandler(kPing, [&](WindowMessage& m) {
    log.push_back("form");
    m.Result = 8;
  });
  HWND window = form->Handle();
  previousProcedure =
      reinterpret_cast<WNDPROC>(SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&OutsideSubclass)));
  forms::FilterId filter = form->AddMessageFilter([&](WindowMessage& m) {
    if (m.Msg == kPing) log.push_back("filter");
    return false;
  });
  EXPECT_EQ(SendMessageW(window, kPing, 0, 0), 8);
  EXPECT_EQ(log, (std::vector<std::string>{"outside", "filter", "form"}));
  // Put back in reverse order of installation.
  form->RemoveMessageFilter(filter);
  SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
  log.clear();
  EXPECT_EQ(SendMessageW(window, kPing, 0, 0), 8);
  EXPECT_EQ(log, (std::vector<std::string>{"form"}));
}

TEST_F(FormTest, BorderStayOnTopAndLayeredStyles) {
  auto* form = app->CreateForm<TFormProbe>();
  HWND window = form->Handle();
  auto style = [&] { return GetWindowLongPtrW(window, GWL_STYLE); };
  auto exStyle = [&] { return GetWindowLongPtrW(window, GWL_EXSTYLE); };
  EXPECT_TRUE(style() & WS_THICKFRAME);
  form->SetBorderStyle(forms::BorderKind::None);
  EXPECT_FALSE(style() & (WS_CAPTION | WS_THICKFRAME));
  form->SetBorderStyle(forms::BorderKind::Single);
  EXPECT_TRUE(style() & WS_CAPTION);
  EXPECT_FALSE(style() & WS_THICKFRAME);

  form->SetStayOnTop(true);
  EXPECT_TRUE(exStyle() & WS_EX_TOPMOST);
  form->SetStayOnTop(false);
  EXPECT_FALSE(exStyle() & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(window, GW_OWNER), app->Handle());

  form->SetAlphaBlendValue(200);
  form->SetAlphaBlend(true);
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(exStyle() & WS_EX_LAYERED);
  ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
  EXPECT_EQ(alpha, 200);
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
  form->SetTransparentColorValue(RGB(255, 0, 255));
  form->SetTransparentColor(true);
  ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY));
  EXPECT_EQ(key, RGB(255, 0, 255));
  form->SetAlphaBlend(false);
  ASSERT_TRUE(GetLayeredWindowAttributes(window, &key, &alpha, &flags));
  EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
  form->SetTransparentColor(false);
  EXPECT_FALSE(exStyle() & WS_EX_LAYERED);
}

TEST_F(FormTest, IconIsTheFormsOwnCopy) {
  auto* form = app->CreateForm<TFormProbe>();
  HICON source = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
  form->SetIcon(source);
  DestroyIcon(source);
  auto big = reinterpret_cast<HICON>(SendMessageW(form->Handle(), WM_GETICON, ICON_BIG, 0));
  auto small = reinterpret_cast<HICON>(SendMessageW(form->Handle(), WM_GETICON, ICON_SMALL, 0));
  EXPECT_EQ(big, form->Icon());
  EXPECT_EQ(small, form->Icon());
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(form->Icon(), &info)) << "the form's icon survives its source";
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST_F(FormTest, KeyPreviewShowsTheFormControlKeysFirst) {
  auto* form = app->CreateForm<TFormProbe>();
  auto* panel = forms::New<PlainPanel>(form, "Panel1", form, forms::Bounds{0, 0, 50, 50});
  std::vector<std::uint16_t> formKeys;
  form->OnKeyDown = [&](TComponent*, std::uint16_t& key, forms::ShiftState) {
    formKeys.push_back(key);
    if (key == VK_ESCAPE) key = 0;  // swallowed
  };
  form->KeyPreview = true;
  PostMessageW(panel->Handle(), WM_KEYDOWN, VK_F9, 0);
  PostMessageW(panel->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
  app->ProcessMessages();
  EXPECT_EQ(formKeys, (std::vector<std::uint16_t>{VK_F9, VK_ESCAPE}));
  EXPECT_EQ(panel->Keys, (std::vector<std::uint16_t>{VK_F9}));
  form->KeyPreview = false;
  formKeys.clear();
  PostMessageW(panel->Handle(), WM_KEYDOWN, VK_F10, 0);
  app->ProcessMessages();
  EXPECT_TRUE(formKeys.empty());
  EXPECT_EQ(panel->Keys.back(), VK_F10);
}

// Keys as the message loop gets them: posted to the focused window, with
// Shift or Ctrl held in the thread's keyboard state.
class DialogKeys {
 public:
  explicit DialogKeys(forms::TApplication& app) : app_(app) {}
  void Press(WORD key, BYTE modifier = 0) {
    BYTE state[256] = {};
    GetKeyboardState(state);
    if (modifier) state[modifier] = 0x80;
    SetKeyboardState(state);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
    app_.ProcessMessages();
    if (modifier) state[modifier] = 0;
    SetKeyboardState(state);
  }

 private:
  forms::TApplication& app_;
};

TEST_F(FormTest, TabEnterAndEscapeWorkEveryWindowAsADialog) {
  auto* form = app->CreateForm<TFormProbe>();
  form->SetBounds(100, 100, 400, 400);
  auto* first = forms::New<forms::Edit>(form, "First", form, forms::Bounds{10, 10, 100, 22});
  auto* box = forms::New<forms::GroupBox>(form, "Box", form, forms::Bounds{10, 40, 300, 120});
  auto* inner = forms::New<forms::Edit>(form, "Inner", box, forms::Bounds{10, 20, 100, 22});
  auto* radios = forms::New<forms::RadioGroup>(form, "Radios", box, forms::Bounds{120, 10, 150, 100});
  radios->SetItems({"a", "b", "c"});
  radios->SetItemIndex(1);
  forms::New<forms::Edit>(form, "Hidden", form, forms::Bounds{120, 10, 100, 22})->SetVisible(false);
  forms::New<forms::Edit>(form, "Disabled", form, forms::Bounds{230, 10, 100, 22})->SetEnabled(false);
  auto* memo = forms::New<forms::Edit>(form, "Memo", form, forms::Bounds{10, 170, 200, 60}, forms::Edit::MultiLine{});
  auto* ok = forms::New<forms::Button>(form, "Ok", form, forms::Bounds{10, 240, 80, 25});
  auto* cancel = forms::New<forms::Button>(form, "Cancel", form, forms::Bounds{100, 240, 80, 25});
  auto* other = forms::New<forms::Button>(form, "Other", form, forms::Bounds{190, 240, 80, 25});
  ok->SetDefault(true);
  cancel->Cancel = true;
  EXPECT_NE(GetWindowLongPtrW(ok->Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON, 0);
  std::vector<std::string> clicks;
  for (forms::Button* button : {ok, cancel, other})
    button->OnClick = [&clicks](TComponent* sender) { clicks.push_back(sender->Name()); };
  form->Show();
  DialogKeys keys(*app);

  // Tab: the order the controls were made, into the box, to the chosen
  // round button only, past hidden and disabled fields, round again.
  SetFocus(first->Handle());
  std::vector<HWND> order;
  for (int i = 0; i < 7; ++i) {
    keys.Press(VK_TAB);
    order.push_back(GetFocus());
  }
  EXPECT_EQ(order[0], inner->Handle());
  EXPECT_EQ(SendMessageW(order[1], BM_GETCHECK, 0, 0), BST_CHECKED) << "the chosen round button";
  EXPECT_EQ(GetParent(order[1]), radios->Handle());
  EXPECT_EQ(order[2], memo->Handle());
  EXPECT_EQ(order[3], ok->Handle());
  EXPECT_EQ(order[4], cancel->Handle());
  EXPECT_EQ(order[5], other->Handle());
  EXPECT_EQ(order[6], first->Handle());
  keys.Press(VK_TAB, VK_SHIFT);
  EXPECT_EQ(GetFocus(), other->Handle());
  keys.Press(VK_TAB, VK_SHIFT);
  keys.Press(VK_TAB, VK_SHIFT);
  EXPECT_EQ(GetFocus(), ok->Handle());
  EXPECT_TRUE(clicks.empty());

  // Enter presses the focused push button, else the default one; Escape
  // the cancel button.
  SetFocus(other->Handle());
  keys.Press(VK_RETURN);
  SetFocus(first->Handle());
  keys.Press(VK_RETURN);
  keys.Press(VK_ESCAPE);
  EXPECT_EQ(clicks, (std::vector<std::string>{"Other", "Ok", "Cancel"}));

  // A field of several lines keeps Enter; Tab and Escape leave it.
  clicks.clear();
  SetFocus(memo->Handle());
  keys.Press(VK_RETURN);
  EXPECT_NE(memo->Text().find("\r\n"), std::string::npos) << memo->Text();
  keys.Press(VK_ESCAPE);
  EXPECT_EQ(clicks, (std::vector<std::string>{"Cancel"}));
  keys.Press(VK_TAB);
  EXPECT_EQ(GetFocus(), ok->Handle());

  // With Ctrl held, or with the button disabled, the key is the control's.
  clicks.clear();
  SetFocus(first->Handle());
  keys.Press(VK_RETURN, VK_CONTROL);
  keys.Press(VK_TAB, VK_CONTROL);
  EXPECT_EQ(GetFocus(), first->Handle());
  ok->SetEnabled(false);
  cancel->SetVisible(false);
  std::vector<std::uint16_t> fieldKeys;
  first->OnKeyDown = [&](TComponent*, std::uint16_t& key, forms::ShiftState) { fieldKeys.push_back(key); };
  keys.Press(VK_RETURN);
  keys.Press(VK_ESCAPE);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(fieldKeys, (std::vector<std::uint16_t>{VK_RETURN, VK_ESCAPE}));
}

TEST_F(FormTest, MouseGoesToTheWindowlessControlUnderIt) {
  auto* form = app->CreateForm<TFormProbe>();
  auto* lower = forms::New<ColourPad>(form, "Lower", form, forms::Bounds{10, 10, 40, 40}, RGB(255, 0, 0));
  auto* upper = forms::New<ColourPad>(form, "Upper", form, forms::Bounds{30, 30, 40, 40}, RGB(0, 0, 255));
  std::vector<std::string> log;
  for (forms::Control* control :
       {static_cast<forms::Control*>(lower), static_cast<forms::Control*>(upper), static_cast<forms::Control*>(form)}) {
    control->OnClick = [&log](TComponent* sender) { log.push_back("click " + sender->Name()); };
    control->OnMouseDown = [&log](TComponent* sender, forms::MouseButton, forms::ShiftState, int x, int y) {
      log.push_back("down " + sender->Name() + " " + std::to_string(x) + "," + std::to_string(y));
    };
  }
  form->SetName("Form");
  auto click = [&](int x, int y) {
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  };
  click(35, 35);  // where both overlap: the later one is on top
  click(15, 15);
  click(100, 100);
  upper->SetVisible(false);
  click(35, 35);
  EXPECT_EQ(log, (std::vector<std::string>{"down Upper 5,5", "click Upper", "down Lower 5,5", "click Lower",
                                           "down Form 100,100", "click Form", "down Lower 25,25", "click Lower"}));
  // Released away from the control: no click.
  log.clear();
  SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
  SendMessageW(form->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
  EXPECT_EQ(log, (std::vector<std::string>{"down Lower 5,5"}));
}

TEST_F(FormTest, WindowedControlsCarryTheirNameInAWindowProperty) {
  auto* form = app->CreateForm<TFormProbe>();
  auto* panel = forms::New<PlainPanel>(form, "Panel1", form, forms::Bounds{0, 0, 50, 50});
  EXPECT_EQ(svtest::FindChildByName(form->Handle(), "panel1"), panel->Handle());
  panel->SetName("ListBox1");
  EXPECT_EQ(svtest::FindChildByName(form->Handle(), "Panel1"), nullptr);
  EXPECT_EQ(svtest::FindChildByName(form->Handle(), "ListBox1"), panel->Handle());
}

}  // namespace
