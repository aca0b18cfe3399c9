// Tray icons against a recording stand-in for the shell, driven through the
// real shared window with posted notifications and real timers.
#include "desktop/TrayIcon.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "forms/PixelBitmap.h"
#include "forms/ShortcutMenu.h"
#include "forms/SmallImageList.h"
#include "tests/desktop/MessagePump.h"
#include "tests/desktop/TrayTestSupport.h"
#include "tests/forms/AppFixture.h"

using desktop::TrayIconSharedWindow;
using desktop::TTrayIcon;
using desktop_test::Clock;
using desktop_test::Milliseconds;
using desktop_test::PumpFor;
using desktop_test::PumpUntil;
using traytest::ShellRecorder;

namespace {

constexpr int kMustArriveMs = 30000;
constexpr double kSlack = 40;

std::unique_ptr<TTrayIcon> NewIcon() { return forms::NewUnowned<TTrayIcon>(""); }

void Post(const TTrayIcon& icon, LPARAM event) {
  PostMessageW(TrayIconSharedWindow(), desktop::kTrayCallbackMessage, icon.Identifier(), event);
}

// Dispatches what is queued now, without waiting for timers.
void Drain() { PumpFor(0); }

struct EventLog {
  std::vector<std::string> events;
  std::vector<Clock::time_point> clicks;
  void Attach(TTrayIcon& icon) {
    icon.OnClick = [this](forms::TComponent*) {
      events.push_back("click");
      clicks.push_back(Clock::now());
    };
    icon.OnMouseDown = [this](forms::TComponent*, forms::MouseButton, forms::ShiftState, int, int) {
      events.push_back("down");
    };
    icon.OnMouseUp = [this](forms::TComponent*, forms::MouseButton, forms::ShiftState, int, int) {
      events.push_back("up");
    };
    icon.OnMouseMove = [this](forms::TComponent*, forms::ShiftState, int, int) { events.push_back("move"); };
    icon.OnBalloonHintShow = [this](forms::TComponent*) { events.push_back("balloon-show"); };
    icon.OnBalloonHintHide = [this](forms::TComponent*) { events.push_back("balloon-hide"); };
    icon.OnBalloonHintTimeout = [this](forms::TComponent*) { events.push_back("balloon-timeout"); };
    icon.OnBalloonHintClick = [this](forms::TComponent*) { events.push_back("balloon-click"); };
  }
  int Count(const std::string& name) const {
    int count = 0;
    for (const auto& event : events) count += event == name;
    return count;
  }
};

// Balloon removals the component asked for: an empty balloon text sent with
// NIF_INFO after the balloon's own update.
std::vector<std::size_t> BalloonRemovals(const ShellRecorder& shell, std::size_t from) {
  std::vector<std::size_t> removals;
  for (std::size_t i = from; i < shell.calls.size(); ++i) {
    const auto& call = shell.calls[i];
    if (call.message == NIM_MODIFY && (call.data.uFlags & NIF_INFO) && call.Info().empty()) removals.push_back(i);
  }
  return removals;
}

TEST(TrayIcon, RecordIdentifiesTheIconBySmallNumbersAndTheSharedWindow) {
  ShellRecorder shell;
  auto first = NewIcon();
  auto second = NewIcon();
  EXPECT_NE(first->Identifier(), second->Identifier());
  EXPECT_NE(first->Identifier(), 0u);
  EXPECT_LT(first->Identifier(), 0x10000u);
  ASSERT_TRUE(first->AddTrayIcon());
  const auto& record = shell.Last().data;
  EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(record.cbSize, sizeof(NOTIFYICONDATAW));
  EXPECT_EQ(record.hWnd, TrayIconSharedWindow());
  EXPECT_EQ(record.uID, first->Identifier());
  EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(record.uCallbackMessage, 0x800u);
  EXPECT_TRUE(first->IconVisible());

  HWND window = TrayIconSharedWindow();
  EXPECT_EQ(GetParent(window), nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  first.reset();
  EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_DELETE));
  EXPECT_TRUE(IsWindow(window));
  second.reset();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(TrayIconSharedWindow(), nullptr);
}

TEST(TrayIcon, TipIsCutTo127UnitsAndEmptyWithoutShowHint) {
  ShellRecorder shell;
  auto icon = NewIcon();
  icon->SetHint(std::string(200, 'h'));
  EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_MODIFY));
  EXPECT_EQ(shell.Last().Tip(), std::wstring(127, L'h'));

  icon->SetShowHint(false);
  for (wchar_t unit : shell.Last().data.szTip) ASSERT_EQ(unit, L'\0');
  EXPECT_EQ(icon->Hint(), std::string(200, 'h'));
  icon->SetShowHint(true);
  EXPECT_EQ(shell.Last().Tip().size(), 127u);

  // A pair of surrogates at units 126-127 would be split: it is dropped.
  icon->SetHint(std::string(126, 'a') + "\xF0\x9F\x8E\xB5" + "tail");
  EXPECT_EQ(shell.Last().Tip(), std::wstring(126, L'a'));
  icon->SetHint("Titre \xC3\xA9t\xC3\xA9");
  EXPECT_EQ(shell.Last().Tip(), L"Titre \u00e9t\u00e9");
}

TEST(TrayIcon, BalloonTextAndTitleAreCutAndFlagsComeBack) {
  ShellRecorder shell;
  auto icon = NewIcon();
  icon->AddTrayIcon();
  std::size_t before = shell.calls.size();
  ASSERT_TRUE(icon->ShowBalloon(std::string(100, 't'), std::string(300, 'x'), 2, 5000));
  ASSERT_EQ(shell.calls.size(), before + 2);
  const auto& hide = shell.calls[before];
  EXPECT_TRUE(hide.data.uFlags & NIF_INFO);
  EXPECT_TRUE(hide.Info().empty());
  const auto& show = shell.calls[before + 1];
  EXPECT_EQ(show.data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
  EXPECT_EQ(show.InfoTitle(), std::wstring(63, L't'));
  EXPECT_EQ(show.Info(), std::wstring(255, L'x'));
  EXPECT_EQ(show.data.uTimeout, 60000u);
  EXPECT_EQ(show.data.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));

  icon->SetHint("after");
  EXPECT_EQ(shell.Last().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  icon->HideBalloon();
  icon->SetHint("after hiding");
  EXPECT_EQ(shell.Last().data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

TEST(TrayIcon, BalloonIsRemovedOnceAfterItsTimeout) {
  ShellRecorder shell;
  auto icon = NewIcon();
  icon->AddTrayIcon();
  const auto shown = Clock::now();
  icon->ShowBalloon("", "Volume 50%", 0, 300);
  const std::size_t after = shell.calls.size();
  ASSERT_TRUE(PumpUntil([&] { return !BalloonRemovals(shell, after).empty(); }, kMustArriveMs));
  EXPECT_GE(Milliseconds(Clock::now() - shown), 300 - kSlack);
  PumpFor(800);
  EXPECT_EQ(BalloonRemovals(shell, after).size(), 1u);
}

TEST(TrayIcon, SecondBalloonRestartsTheTimeoutWithItsOwnValue) {
  ShellRecorder shell;
  auto icon = NewIcon();
  icon->AddTrayIcon();
  icon->ShowBalloon("", "first", 0, 300);
  PumpFor(150);
  const auto second = Clock::now();
  icon->ShowBalloon("", "second", 0, 700);
  const std::size_t after = shell.calls.size();
  ASSERT_TRUE(PumpUntil([&] { return !BalloonRemovals(shell, after).empty(); }, kMustArriveMs));
  EXPECT_GE(Milliseconds(Clock::now() - second), 700 - kSlack);
  PumpFor(900);
  EXPECT_EQ(BalloonRemovals(shell, after).size(), 1u);
}

TEST(TrayIcon, WithoutDoubleClickHandlerTheClickComesOnRelease) {
  ShellRecorder shell;
  auto icon = NewIcon();
  EventLog log;
  log.Attach(*icon);
  Post(*icon, WM_LBUTTONDOWN);
  Post(*icon, WM_LBUTTONUP);
  Drain();
  EXPECT_EQ(log.events, (std::vector<std::string>{"down", "click", "up"}));
}

TEST(TrayIcon, SingleClickWaitsOneDoubleClickTime) {
  ShellRecorder shell;
  auto icon = NewIcon();
  EventLog log;
  log.Attach(*icon);
  int doubles = 0;
  icon->OnDblClick = [&](forms::TComponent*) { ++doubles; };
  const auto pressed = Clock::now();
  Post(*icon, WM_LBUTTONDOWN);
  Post(*icon, WM_LBUTTONUP);
  Drain();
  EXPECT_EQ(log.Count("click"), 0);
  ASSERT_TRUE(PumpUntil([&] { return log.Count("click") == 1; }, kMustArriveMs));
  EXPECT_GE(Milliseconds(log.clicks[0] - pressed), GetDoubleClickTime() - kSlack);
  EXPECT_EQ(doubles, 0);
}

TEST(TrayIcon, DoubleClickGivesNoClick) {
  ShellRecorder shell;
  auto icon = NewIcon();
  EventLog log;
  log.Attach(*icon);
  int doubles = 0;
  icon->OnDblClick = [&](forms::TComponent*) { ++doubles; };
  for (LPARAM event : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Post(*icon, event);
  PumpFor(static_cast<int>(GetDoubleClickTime()) + 400);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(log.Count("click"), 0);

  // The next single click is reported again.
  Post(*icon, WM_LBUTTONDOWN);
  Post(*icon, WM_LBUTTONUP);
  EXPECT_TRUE(PumpUntil([&] { return log.Count("click") == 1; }, kMustArriveMs));
}

TEST(TrayIcon, DoubleClickChoosesTheMenusDefaultItem) {
  ShellRecorder shell;
  auto icon = NewIcon();
  auto menu = forms::NewUnowned<forms::ShortcutMenu>("");
  std::vector<std::string> chosen;
  auto add = [&](const std::string& caption, bool isDefault) {
    forms::MenuEntry* item = menu->Add(caption);
    item->Default = isDefault;
    item->OnClick = [&chosen, caption](forms::TComponent*) { chosen.push_back(caption); };
  };
  add("Play", false);
  add("Show", true);
  add("Quit", true);
  icon->SetPopupMenu(menu.get());
  for (LPARAM event : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) Post(*icon, event);
  Drain();
  EXPECT_EQ(chosen, std::vector<std::string>{"Show"});

  menu.reset();
  EXPECT_EQ(icon->PopupMenu(), nullptr);
  Post(*icon, WM_LBUTTONDBLCLK);
  Drain();
}

TEST(TrayIcon, DisabledIconStillReportsBalloonEvents) {
  ShellRecorder shell;
  auto icon = NewIcon();
  icon->Enabled = false;
  EventLog log;
  log.Attach(*icon);
  for (LPARAM event : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN})
    Post(*icon, event);
  for (LPARAM event : {NIN_BALLOONSHOW, NIN_BALLOONHIDE, NIN_BALLOONTIMEOUT, NIN_BALLOONUSERCLICK}) Post(*icon, event);
  Drain();
  EXPECT_EQ(log.events,
            (std::vector<std::string>{"balloon-show", "balloon-hide", "balloon-timeout", "balloon-click"}));
}

TEST(TrayIcon, TaskbarCreatedReAddsOnlyVisibleIcons) {
  ShellRecorder shell;
  auto shown = NewIcon();
  auto hidden = NewIcon();
  shown->SetIconVisible(true);
  hidden->SetIconVisible(true);
  hidden->SetIconVisible(false);
  ASSERT_NE(desktop::TaskbarCreatedMessage(), 0u);
  const std::size_t before = shell.calls.size();
  PostMessageW(HWND_BROADCAST, desktop::TaskbarCreatedMessage(), 0, 0);
  ASSERT_TRUE(PumpUntil([&] { return shell.calls.size() > before; }, kMustArriveMs));
  PumpFor(100);
  ASSERT_EQ(shell.calls.size(), before + 1);
  EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(shell.Last().data.uID, shown->Identifier());
}

TEST(TrayIcon, JunkAndStaleNotificationsDoNothing) {
  ShellRecorder shell;
  auto icon = NewIcon();
  EventLog log;
  log.Attach(*icon);
  auto gone = NewIcon();
  const UINT staleId = gone->Identifier();
  gone.reset();
  HWND window = TrayIconSharedWindow();
  for (WPARAM junk : std::vector<WPARAM>{0, staleId, 0xFFFFFFFFu, static_cast<WPARAM>(-1),
                                         reinterpret_cast<WPARAM>(icon.get())}) {
    PostMessageW(window, desktop::kTrayCallbackMessage, junk, WM_LBUTTONDOWN);
    PostMessageW(window, desktop::kTrayCallbackMessage, junk, NIN_BALLOONSHOW);
  }
  Post(*icon, 0x7FFF);
  Drain();
  EXPECT_TRUE(log.events.empty());

  // Closing or ending the session does not take the window away.
  EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 1);
  EXPECT_EQ(SendMessageW(window, WM_QUERYENDSESSION, 0, 0), 1);
  EXPECT_TRUE(IsWindow(window));
}

TEST(TrayIcon, IconFreedByItsOwnClickHandler) {
  ShellRecorder shell;
  auto icon = NewIcon();
  icon->OnClick = [&](forms::TComponent*) { icon.reset(); };
  Post(*icon, WM_LBUTTONDOWN);
  Post(*icon, WM_LBUTTONUP);
  Drain();
  EXPECT_EQ(icon, nullptr);
  EXPECT_EQ(TrayIconSharedWindow(), nullptr);
}

// Three one-colour images: red, green, blue.
std::unique_ptr<forms::SmallImageList> ThreeImages() {
  auto list = forms::NewUnowned<forms::SmallImageList>("");
  for (COLORREF colour : {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)}) {
    forms::PixelBitmap bitmap(16, 16);
    {
      forms::BitmapPainter surface(bitmap);
      surface.FillRect(RECT{0, 0, 16, 16}, colour);
    }
    list->AddMasked(bitmap.Handle(), forms::kColourNone);
  }
  return list;
}

TEST(TrayIcon, IconIndexIsClampedAndShowsThatImage) {
  ShellRecorder shell;
  auto icon = NewIcon();
  auto list = ThreeImages();
  icon->SetIconList(list.get());
  icon->SetIconIndex(7);
  EXPECT_EQ(icon->IconIndex(), 2);
  EXPECT_EQ(traytest::ReadIcon(icon->Icon().Handle()).colour[8][8], 0x0000FFu);
  EXPECT_EQ(shell.Last().data.hIcon, icon->Icon().Handle());
  icon->SetIconIndex(-3);
  EXPECT_EQ(traytest::ReadIcon(icon->Icon().Handle()).colour[8][8], 0x0000FFu);

  list.reset();
  EXPECT_EQ(icon->IconList(), nullptr);
  EXPECT_EQ(icon->IconIndex(), 0);
}

TEST(TrayIcon, CycleTickShowsTheImageThenMovesOnWrapping) {
  ShellRecorder shell;
  auto icon = NewIcon();
  auto list = ThreeImages();
  icon->SetIconList(list.get());
  std::vector<int> next;
  icon->OnCycle = [&](forms::TComponent* sender, int nextIndex) {
    EXPECT_EQ(sender, icon.get());
    next.push_back(nextIndex);
    if (next.size() == 1) {
      EXPECT_EQ(traytest::ReadIcon(icon->Icon().Handle()).colour[8][8], 0x0000FFu);
    }
  };
  icon->SetCycleInterval(60);
  icon->SetCycleIcons(true);
  icon->SetIconIndex(2);
  ASSERT_TRUE(PumpUntil([&] { return next.size() >= 3; }, kMustArriveMs));
  icon->SetCycleIcons(false);
  EXPECT_EQ(next[0], 0);
  EXPECT_EQ(next[1], 1);
  EXPECT_EQ(next[2], 2);
}

TEST(TrayIcon, MouseEnterOnMoveAndExitWhenTheCursorLeaves) {
  ShellRecorder shell;
  auto icon = NewIcon();
  int enters = 0;
  int exits = 0;
  icon->OnMouseEnter = [&](forms::TComponent*) { ++enters; };
  icon->OnMouseExit = [&](forms::TComponent*) { ++exits; };
  icon->SetWantEnterExitEvents(true);
  SetCursorPos(500, 500);
  Post(*icon, WM_MOUSEMOVE);
  Post(*icon, WM_MOUSEMOVE);
  Drain();
  EXPECT_EQ(enters, 1);
  PumpFor(150);
  EXPECT_EQ(exits, 0);
  SetCursorPos(520, 530);
  ASSERT_TRUE(PumpUntil([&] { return exits == 1; }, kMustArriveMs));
  Post(*icon, WM_MOUSEMOVE);
  Drain();
  EXPECT_EQ(enters, 2);
}

// Ends any open menu from a timer, noting whether one was shown.
bool menuSeen = false;
void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menuWindow = FindWindowW(L"#32768", nullptr);
  menuSeen = menuWindow && IsWindowVisible(menuWindow);
  KillTimer(nullptr, timer);
  EndMenu();
}

TEST(TrayIcon, RightButtonOpensTheMenuOnlyWhileEnabled) {
  ShellRecorder shell;
  auto icon = NewIcon();
  auto menu = forms::NewUnowned<forms::ShortcutMenu>("");
  menu->Add("Quit");
  icon->SetPopupMenu(menu.get());

  menuSeen = false;
  SetTimer(nullptr, 0, 300, &CloseMenu);
  Post(*icon, WM_RBUTTONDOWN);
  PumpFor(600);
  EXPECT_TRUE(menuSeen);
  EXPECT_EQ(menu->PopupComponent(), icon.get());

  icon->Enabled = false;
  menuSeen = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 200, &CloseMenu);
  Post(*icon, WM_RBUTTONDOWN);
  PumpFor(400);
  KillTimer(nullptr, timer);
  EXPECT_FALSE(menuSeen);

  icon.reset();
  EXPECT_EQ(menu->PopupComponent(), nullptr);
}

TEST(TrayIcon, MakeMaskedIconKeysOutTheMaskColour) {
  forms::PixelBitmap bitmap(16, 16);
  {
    forms::BitmapPainter surface(bitmap);
    surface.FillRect(RECT{0, 0, 16, 16}, RGB(255, 0, 255));
    surface.FillRect(RECT{4, 4, 8, 8}, RGB(0, 128, 0));
  }
  forms::IconImage icon;
  int changes = 0;
  icon.OnChange = [&] { ++changes; };
  EXPECT_TRUE(TTrayIcon::MakeMaskedIcon(bitmap, icon, RGB(255, 0, 255)));
  EXPECT_EQ(changes, 1);
  auto pixels = traytest::ReadIcon(icon.Handle());
  EXPECT_TRUE(pixels.transparent[0][0]);
  EXPECT_TRUE(pixels.Ink(5, 5, 0x008000));

  TTrayIcon::MakeMaskedIcon(bitmap, icon, forms::kColourNone);
  pixels = traytest::ReadIcon(icon.Handle());
  EXPECT_FALSE(pixels.transparent[0][0]);
  EXPECT_EQ(pixels.colour[0][0], 0xFF00FFu);
}

TEST(TrayIcon, RealShellRoundTripSucceeds) {
  auto icon = NewIcon();
  forms::IconImage image;
  image.TakeHandle(forms::CopyIconHandle(LoadIconW(nullptr, IDI_APPLICATION)));
  icon->SetHint("Sorivanel");
  EXPECT_TRUE(icon->AddTrayIcon());
  icon->SetIcon(image);
  EXPECT_TRUE(icon->UpdateTrayIcon());
  EXPECT_TRUE(icon->RemoveTrayIcon());
}

// A form carrying a tray icon, made the way the player's main form is: the
// icon and its start-up handler exist before the form is complete.
class TTrayForm : public formstest::TFormProbe {
 public:
  TTrayForm(forms::TComponent* owner, bool showMainForm) : TFormProbe(owner, "TTrayForm") {
    TrayIcon1 = forms::New<TTrayIcon>(this, "TrayIcon1");
    TrayIcon1->OnStartup = [this, showMainForm](forms::TComponent* sender, bool& show) {
      EXPECT_EQ(sender, TrayIcon1);
      EXPECT_TRUE(show);
      show = showMainForm;
      ++startups;
    };
  }
  TTrayIcon* TrayIcon1;
  int startups = 0;
};

class TrayOnFormTest : public formstest::ApplicationTest {
 protected:
  ShellRecorder shell;
};

TEST_F(TrayOnFormTest, StartupHandlerCanKeepTheMainFormHidden) {
  auto* form = app->CreateForm<TTrayForm>(false);
  EXPECT_EQ(form->startups, 1);
  EXPECT_FALSE(app->ShowMainForm);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  ASSERT_FALSE(shell.calls.empty());
  EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_SETVERSION));
  EXPECT_EQ(shell.Last().data.uVersion, 0u);
}

TEST_F(TrayOnFormTest, MinimizingGoesToTheTrayOnlyWithAHandler) {
  auto* form = app->CreateForm<TTrayForm>(true);
  EXPECT_TRUE(app->ShowMainForm);
  form->Show();
  TTrayIcon* icon = form->TrayIcon1;
  icon->MinimizeToTray = true;
  int minimized = 0;
  icon->OnMinimizeToTray = [&](forms::TComponent*) { ++minimized; };
  EXPECT_EQ(SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0), 1);
  EXPECT_EQ(minimized, 1);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsIconic(form->Handle()));
  EXPECT_TRUE(icon->IconVisible());
  EXPECT_EQ(shell.Last().message, static_cast<DWORD>(NIM_ADD));

  form->Show();
  icon->OnMinimizeToTray = nullptr;
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(IsIconic(form->Handle()));
  EXPECT_EQ(minimized, 1);
}

}  // namespace
