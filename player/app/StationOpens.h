#pragma once
// The opens of stream stations. The audio library blocks until a station's
// first audio (within its own deadline), so each open runs on a thread of
// its own and reports its end to the main window as a posted message; the
// window waits for no station. An open that is no longer wanted is
// cancelled, and a channel it still makes is freed.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "sono/include/sono.h"

namespace player {

class StationOpens {
 public:
  // `doneMessage` is posted to `window` with the open's ticket as wParam.
  StationOpens(HWND window, UINT doneMessage);
  // Cancels every open and waits for its thread.
  ~StationOpens();
  StationOpens(const StationOpens&) = delete;
  StationOpens& operator=(const StationOpens&) = delete;

  // Starts opening `url`; every earlier open is no longer wanted.
  std::uint32_t Start(const std::string& url);
  // No open in progress is wanted any more.
  void CancelAll();

  // On the done message: the channel a wanted open made (0 when it failed),
  // or nothing for an open that is no longer wanted (its channel is freed).
  struct Outcome {
    bool Wanted = false;
    HSONOCHANNEL Channel = 0;
  };
  Outcome Finish(std::uint32_t ticket);
  // An open that is still wanted is in progress.
  bool Opening() const;

 private:
  struct Open {
    std::uint32_t Ticket = 0;
    std::atomic<bool> Wanted{true};
    std::atomic<bool> Done{false};
    std::atomic<HSONOCHANNEL> Channel{0};
    std::thread Thread;
  };
  // The library cancels every open in progress at once: it is asked only
  // while no wanted open runs.
  void CancelUnwanted();

  HWND window_;
  UINT doneMessage_;
  std::uint32_t nextTicket_ = 1;
  std::vector<std::unique_ptr<Open>> opens_;
};

}  // namespace player
