#include "desktop/SimpleTimer.h"

#include <cassert>
#include <unordered_map>
#include <utility>

#include "forms/UtilityWindow.h"

namespace desktop {

namespace {

// The hidden window shared by all light timers. Ticks find their timer
// through the map of running identifiers, never through the message
// parameter itself: a stale, foreign or junk tick names no entry and is
// dropped.
class TSimpleTimerHandler {
 public:
  TSimpleTimerHandler()
      : window_([this](UINT message, WPARAM wParam, LPARAM lParam) { return Procedure(message, wParam, lParam); },
                forms::UtilityWindow::Kind::MessageOnly) {}

  HWND Handle() const { return window_.Handle(); }

  const DWORD thread = GetCurrentThreadId();
  unsigned count = 0;
  std::unordered_map<UINT_PTR, TSimpleTimer*> running;

 private:
  LRESULT Procedure(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_TIMER) return window_.DefaultHandle(message, wParam, lParam);
    auto found = running.find(wParam);
    if (found == running.end()) return 0;
    TSimpleTimer* timer = found->second;
    if (timer->OneShot) timer->Stop(true);
    if (timer->OnTimer()) {
      // The handler may free its timer, and with the last timer this very
      // object and window: it runs from a copy, and nothing is touched
      // once it returns.
      TSimpleTimer::TimerEvent handler = timer->OnTimer();
      handler(timer);
    }
    return 0;
  }

  forms::UtilityWindow window_;
};

std::unique_ptr<TSimpleTimerHandler> shared;
UINT_PTR lastIdentifier = 0;

void AssertGuiThread() { assert(!shared || shared->thread == GetCurrentThreadId()); }

UINT_PTR NextIdentifier() {
  if (++lastIdentifier == 0) ++lastIdentifier;
  return lastIdentifier;
}

}  // namespace

TSimpleTimer::TSimpleTimer() : TSimpleTimer(1000, nullptr) {}

TSimpleTimer::TSimpleTimer(std::uint32_t interval, TimerEvent onTimer) : interval_(interval) {
  AssertGuiThread();
  SetOnTimer(std::move(onTimer));
  if (!shared) shared = std::make_unique<TSimpleTimerHandler>();
  ++shared->count;
}

std::unique_ptr<TSimpleTimer> TSimpleTimer::CreateWithHandler(std::uint32_t interval, TimerEvent onTimer) {
  return std::make_unique<TSimpleTimer>(interval, std::move(onTimer));
}

TSimpleTimer::~TSimpleTimer() {
  AssertGuiThread();
  if (enabled_) Stop(true);
  if (shared && shared->count > 0 && --shared->count == 0) shared.reset();
}

bool TSimpleTimer::Start() {
  AssertGuiThread();
  if (interval_ == 0) return false;
  if (enabled_) Stop(true);
  HWND window = shared ? shared->Handle() : nullptr;
  if (!window) return false;
  // Entered before the system timer exists, so that a failure here leaves
  // no system timer behind.
  const UINT_PTR identifier = NextIdentifier();
  shared->running.emplace(identifier, this);
  if (!SetTimer(window, identifier, interval_, nullptr)) {
    shared->running.erase(identifier);
    return false;
  }
  identifier_ = identifier;
  enabled_ = true;
  return true;
}

bool TSimpleTimer::Stop(bool clearEnabled) {
  AssertGuiThread();
  if (clearEnabled) enabled_ = false;
  if (identifier_ == 0 || !shared) return false;
  shared->running.erase(identifier_);
  const bool killed = KillTimer(shared->Handle(), identifier_) != FALSE;
  identifier_ = 0;
  return killed;
}

void TSimpleTimer::SetEnabled(bool value) {
  if (value)
    Start();
  else
    Stop(true);
}

void TSimpleTimer::SetInterval(std::uint32_t value) {
  if (value == interval_) return;
  interval_ = value;
  if (!enabled_) return;
  if (value != 0)
    Start();
  else
    Stop(false);
}

void TSimpleTimer::SetOnTimer(TimerEvent handler) {
  onTimer_ = std::move(handler);
  if (!onTimer_ && enabled_) Stop(false);
}

HWND SimpleTimerSharedWindow() { return shared ? shared->Handle() : nullptr; }

unsigned SimpleTimerCount() { return shared ? shared->count : 0; }

}  // namespace desktop
