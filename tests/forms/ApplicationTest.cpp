// The application object: its window, the loop, hooks, the error box and
// the topmost bookkeeping.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/Exception.h"
#include "forms/Application.h"
#include "forms/ShortcutMenu.h"
#include "tests/forms/AppFixture.h"
#include "tests/support/TestSupport.h"

namespace {

using formstest::ApplicationTest;
using formstest::kTestTitle;
using formstest::TFormProbe;

constexpr UINT kPing = WM_APP + 1;

TEST_F(ApplicationTest, WindowIsAHiddenTopLevelWindowFoundByClassAndTitle) {
  HWND window = app->Handle();
  EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  // Another process finds it exactly as a second instance would.
  auto probe = svtest::RunProbe({"findwindow", "TApplication", kTestTitle});
  EXPECT_EQ(probe.exitCode, 0u) << probe.output;
  EXPECT_EQ(std::stoull(probe.output), reinterpret_cast<UINT_PTR>(window));
  app->SetTitle("Sorivanel");
  EXPECT_EQ(FindWindowW(L"TApplication", L"Sorivanel"), window);
  EXPECT_EQ(FindWindowW(L"TApplication", L"Sorivanel Forms Test"), nullptr);
}

TEST_F(ApplicationTest, BroadcastReachesTheApplicationWindow) {
  // A message of our own: "TaskbarCreated" would disturb the tray icons of
  // tests running beside this one.
  UINT broadcast = RegisterWindowMessageW(L"SorivanelFormsTestBroadcast");
  int seen = 0;
  app->HookMainWindow([&](forms::WindowMessage& m) {
    if (m.Msg == broadcast) ++seen;
    return false;
  });
  ASSERT_TRUE(PostMessageW(HWND_BROADCAST, broadcast, 0, 0));
  EXPECT_TRUE(svtest::WaitUntil([&] { return seen == 1; }));
}

TEST_F(ApplicationTest, HooksSeeMessagesFirstNewestFirstUntilOneAnswers) {
  std::vector<std::string> order;
  auto first = app->HookMainWindow([&](forms::WindowMessage& m) {
    if (m.Msg == kPing) order.push_back("first");
    return false;
  });
  auto second = app->HookMainWindow([&](forms::WindowMessage& m) {
    if (m.Msg != kPing) return false;
    order.push_back("second");
    m.Result = 42;
    return m.WParam == 1;
  });
  EXPECT_EQ(SendMessageW(app->Handle(), kPing, 0, 0), 0);  // passed on, answered by the default
  EXPECT_EQ(SendMessageW(app->Handle(), kPing, 1, 0), 42);
  EXPECT_EQ(order, (std::vector<std::string>{"second", "first", "second"}));
  app->UnhookMainWindow(second);
  app->UnhookMainWindow(first);
  order.clear();
  SendMessageW(app->Handle(), kPing, 1, 0);
  EXPECT_TRUE(order.empty());
}

TEST_F(ApplicationTest, ProcessMessagesDispatchesEverythingPendingThenTakesTheQuit) {
  auto* form = app->CreateForm<TFormProbe>();
  std::vector<int> handled;
  std::vector<int> depths;
  int unwound = 0;
  app->OnPumpsUnwound = [&] {
    ++unwound;
    depths.push_back(app->PumpDepth());
  };
  form->SetMessageHandler(kPing, [&](forms::WindowMessage& m) {
    handled.push_back(static_cast<int>(m.WParam));
    depths.push_back(app->PumpDepth());
    // Re-entered loops run the later messages inside this one.
    if (m.WParam == 1) app->ProcessMessages();
    handled.push_back(-static_cast<int>(m.WParam));
  });
  for (int i = 1; i <= 3; ++i) PostMessageW(form->Handle(), kPing, i, 0);
  app->Terminate();
  EXPECT_FALSE(app->Terminated());
  EXPECT_EQ(app->PumpDepth(), 0);
  app->ProcessMessages();
  EXPECT_EQ(handled, (std::vector<int>{1, 2, -2, 3, -3, -1}));
  // Only the outermost loop's end counts as unwound.
  EXPECT_EQ(depths, (std::vector<int>{1, 2, 2, 0}));
  EXPECT_EQ(unwound, 1);
  EXPECT_EQ(app->PumpDepth(), 0);
  app->OnPumpsUnwound = nullptr;
  EXPECT_TRUE(app->Terminated());
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) << "the quit request stays taken";
}

TEST_F(ApplicationTest, RunShowsTheMainFormAndEndsWhenItCloses) {
  auto* main = app->CreateForm<TFormProbe>();
  auto* other = app->CreateForm<TFormProbe>("TFormOther");
  EXPECT_EQ(app->MainForm(), main);
  bool shownAtStart = false;
  int closes = 0;
  main->OnShow = [&](forms::TComponent*) {
    shownAtStart = true;
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
  };
  main->OnClose = [&](forms::TComponent*, forms::CloseAction& action) {
    ++closes;
    action = forms::CloseAction::Free;  // the main form ends the program whatever the action
  };
  app->Run();
  EXPECT_TRUE(shownAtStart);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(app->Terminated());
  EXPECT_EQ(app->MainForm(), main) << "the main form is freed with the application, not before";
  EXPECT_FALSE(other->Visible());
}

// A form that must not close inside a nested loop (as the player's main
// window) waits for OnPumpsUnwound, which comes once the handler that ran
// the loops is back in the main loop, and closes once.
TEST_F(ApplicationTest, OnPumpsUnwoundComesWhenTheHandlerOfNestedLoopsIsBackInTheMainLoop) {
  auto* main = app->CreateForm<TFormProbe>();
  app->ShowMainForm = false;
  std::vector<std::string> events;
  bool pending = false;
  main->OnCloseQuery = [&](forms::TComponent*, bool& canClose) {
    events.push_back("query at depth " + std::to_string(app->PumpDepth()));
    if (app->PumpDepth() == 0) return;
    canClose = false;
    pending = true;
  };
  main->OnClose = [&](forms::TComponent*, forms::CloseAction&) {
    events.push_back("close at depth " + std::to_string(app->PumpDepth()));
  };
  app->OnPumpsUnwound = [&] {
    events.push_back("unwound at depth " + std::to_string(app->PumpDepth()));
    if (pending) PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    pending = false;
  };
  int depthOfAnotherThread = -1;
  main->SetMessageHandler(kPing, [&](forms::WindowMessage&) {
    events.push_back("handler");
    // Two requests to close reach the form inside this handler's loop, a
    // third inside a loop of its own.
    PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
    PostMessageW(app->Handle(), WM_CLOSE, 0, 0);
    app->ProcessMessages();
    EXPECT_EQ(app->PumpDepth(), 0);
    {
      forms::NestedPump pump;
      {
        forms::NestedPump inner;
        EXPECT_EQ(app->PumpDepth(), 2);
      }
      // A loop of another thread dispatches none of the application's
      // messages: it does not count.
      std::thread([&] {
        forms::NestedPump other;
        depthOfAnotherThread = app->PumpDepth();
      }).join();
      main->Close();
    }
    events.push_back("handler done");
  });
  PostMessageW(main->Handle(), kPing, 0, 0);
  app->Run();
  app->OnPumpsUnwound = nullptr;
  EXPECT_EQ(depthOfAnotherThread, 1);
  EXPECT_EQ(events, (std::vector<std::string>{"handler", "query at depth 1", "query at depth 1", "query at depth 1",
                                              "handler done", "unwound at depth 0", "query at depth 0",
                                              "close at depth 0"}));
  EXPECT_EQ(app->PumpDepth(), 0);
  EXPECT_TRUE(app->Terminated());
}

TEST_F(ApplicationTest, RunKeepsTheMainFormHiddenWhenAsked) {
  auto* main = app->CreateForm<TFormProbe>();
  app->ShowMainForm = false;
  PostMessageW(main->Handle(), WM_CLOSE, 0, 0);
  app->Run();
  EXPECT_FALSE(main->Visible());
  EXPECT_TRUE(app->Terminated());
}

TEST_F(ApplicationTest, ExceptionInAHandlerShowsTheErrorBoxAndTheProgramGoesOn) {
  auto* form = app->CreateForm<TFormProbe>();
  form->SetMessageHandler(kPing, [&](forms::WindowMessage& m) {
    if (m.WParam == 1) throw sv::Exception("Disk full");
    if (m.WParam == 2) throw sv::Exception("Really?");
    if (m.WParam == 3) throw sv::Abort();
    m.Result = 7;
  });
  svtest::MessageBoxWatcher watcher(GetCurrentProcessId(), svtest::MessageBoxWatcher::Mode::Record);
  SendMessageW(form->Handle(), kPing, 1, 0);
  SendMessageW(form->Handle(), kPing, 2, 0);
  SendMessageW(form->Handle(), kPing, 3, 0);
  EXPECT_EQ(SendMessageW(form->Handle(), kPing, 0, 0), 7);
  std::vector<svtest::SeenBox> boxes = watcher.Seen();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, kTestTitle);
  EXPECT_EQ(boxes[0].text, "Disk full.");
  EXPECT_EQ(boxes[1].text, "Really?");
}

TEST_F(ApplicationTest, OnDeactivateFiresWhenAnotherProgramTakesTheFocus) {
  auto* form = app->CreateForm<TFormProbe>();
  int deactivations = 0;
  app->OnDeactivate = [&](forms::TComponent*) { ++deactivations; };
  form->Show();
  SetForegroundWindow(form->Handle());
  svtest::PumpMessages();
  ASSERT_EQ(GetForegroundWindow(), form->Handle());
  EXPECT_EQ(deactivations, 0);
  // Another thread is another program as far as activation goes. Its
  // window stays until the deactivation was seen (or the wait gave up).
  std::atomic<bool> done{false};
  std::thread other([&done] {
    HWND window = CreateWindowExW(0, L"STATIC", L"Other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(window);
    MSG msg;
    while (!done) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
    DestroyWindow(window);
  });
  EXPECT_TRUE(svtest::WaitUntil([&] { return deactivations == 1; }));
  done = true;
  other.join();
}

TEST_F(ApplicationTest, TopmostWindowsAreNormalisedAndRestoredByTheOutermostPair) {
  auto* first = app->CreateForm<TFormProbe>();
  auto* second = app->CreateForm<TFormProbe>("TFormSecond");
  for (auto* form : {first, second}) {
    form->SetStayOnTop(true);
    form->ShowNoActivate();
  }
  auto topmost = [](forms::TForm* form) {
    return (GetWindowLongPtrW(form->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  };
  ASSERT_TRUE(topmost(first) && topmost(second));
  app->NormalizeTopMosts();
  app->NormalizeTopMosts();
  EXPECT_FALSE(topmost(first) || topmost(second));
  app->RestoreTopMosts();
  EXPECT_FALSE(topmost(first) || topmost(second)) << "an inner restore gives nothing back";
  app->RestoreTopMosts();
  EXPECT_TRUE(topmost(first) && topmost(second));
  app->RestoreTopMosts();  // unbalanced: nothing happens
  EXPECT_TRUE(topmost(first) && topmost(second));
}

BOOL CALLBACK FindShownMenu(HWND window, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32768" && IsWindowVisible(window)) *reinterpret_cast<HWND*>(found) = window;
  return TRUE;
}

// While a menu is open its own loop dispatches the program's messages.
// What a handler does there must leave the menu its keys (a nested loop
// would swallow them), and the end of the program must not be lost in it
// (that loop drops the quit request and would never return).
TEST_F(ApplicationTest, AnOpenMenuKeepsItsKeysFromNestedLoopsAndClosesForTheQuit) {
  auto* form = app->CreateForm<TFormProbe>();
  form->Show();
  auto* menu = forms::New<forms::ShortcutMenu>(form, "Menu1");
  menu->Add("First", "First");
  const auto menuOpen = [] {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetCurrentThreadId(), &info) && (info.flags & GUI_INMENUMODE) != 0;
  };
  enum Step : WPARAM { kEscapeThenNestedLoop = 1, kQuit, kCheck };
  std::vector<bool> openAtCheck;
  form->SetMessageHandler(kPing, [&](forms::WindowMessage& m) {
    switch (m.WParam) {
      case kEscapeThenNestedLoop: {
        HWND menuWindow = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), &FindShownMenu, reinterpret_cast<LPARAM>(&menuWindow));
        ASSERT_NE(menuWindow, nullptr);
        PostMessageW(menuWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(form->Handle(), kPing, kCheck, 0);
        app->ProcessMessages();
        break;
      }
      case kQuit:
        app->Terminate();
        PostMessageW(form->Handle(), kPing, kCheck, 0);
        break;
      case kCheck:
        // Posted after the Escape or the quit: the menu has closed before.
        openAtCheck.push_back(menuOpen());
        if (menuOpen()) EndMenu();
        break;
    }
  });
  for (const Step step : {kEscapeThenNestedLoop, kQuit}) {
    PostMessageW(form->Handle(), kPing, step, 0);
    menu->Popup(10, 10, form->Handle());
    app->ProcessMessages();
  }
  EXPECT_EQ(openAtCheck, (std::vector<bool>{false, false}));
  EXPECT_TRUE(app->Terminated());
}

}  // namespace
