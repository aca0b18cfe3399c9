#pragma once
// A light timer: a plain object without a window of its own. All living
// timers share one hidden window, on which each running timer is one system
// timer; ticks arrive through the GUI thread's message loop.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace desktop {

class TSimpleTimer {
 public:
  using TimerEvent = std::function<void(TSimpleTimer* Sender)>;

  // Interval 1000 ms, no handler.
  TSimpleTimer();
  TSimpleTimer(std::uint32_t interval, TimerEvent onTimer);
  static std::unique_ptr<TSimpleTimer> CreateWithHandler(std::uint32_t interval, TimerEvent onTimer);
  ~TSimpleTimer();
  TSimpleTimer(const TSimpleTimer&) = delete;
  TSimpleTimer& operator=(const TSimpleTimer&) = delete;

  // Starts (or restarts) the countdown from a full interval. False, with
  // nothing changed, when Interval is 0; false and not Enabled when the
  // system refuses the timer.
  bool Start();
  // Ends the system timer; with clearEnabled false the timer stays Enabled
  // (suspended) so that a later non-zero Interval resumes it.
  bool Stop(bool clearEnabled);

  bool Enabled() const { return enabled_; }
  // true always restarts the countdown, even on a running timer.
  void SetEnabled(bool value);

  std::uint32_t Interval() const { return interval_; }
  // On an Enabled timer a non-zero value restarts it and 0 suspends it.
  void SetInterval(std::uint32_t value);

  const TimerEvent& OnTimer() const { return onTimer_; }
  // An empty handler suspends a running timer; assigning one again does not
  // resume it.
  void SetOnTimer(TimerEvent handler);

  // Each tick stops the timer (clearing Enabled) before the handler runs.
  bool OneShot = false;
  // Free for the owner; the timer never reads or writes it.
  std::int32_t Tag = 0;

  // The identifier of the running system timer, 0 while none runs. Every
  // start takes a fresh one, so a tick left in the queue by an earlier run
  // never reaches the timer.
  UINT_PTR Identifier() const { return identifier_; }

 private:
  bool enabled_ = false;
  std::uint32_t interval_;
  TimerEvent onTimer_;
  UINT_PTR identifier_ = 0;
};

// The shared window, or null while no timer exists.
HWND SimpleTimerSharedWindow();
// The number of living timers.
unsigned SimpleTimerCount();

}  // namespace desktop
