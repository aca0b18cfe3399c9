#include "player/app/StationOpens.h"

#include <algorithm>

namespace player {

StationOpens::StationOpens(HWND window, UINT doneMessage) : window_(window), doneMessage_(doneMessage) {}

StationOpens::~StationOpens() {
  for (auto& open : opens_) open->Wanted = false;
  // Again on each turn: a thread may not have begun its open when the
  // cancel came, and a cancel only reaches opens in progress.
  for (auto& open : opens_) {
    while (!open->Done) {
      SONO_StreamCancelURL();
      Sleep(10);
    }
    open->Thread.join();
    if (const HSONOCHANNEL channel = open->Channel.load()) SONO_StreamFree(channel);
  }
}

std::uint32_t StationOpens::Start(const std::string& url) {
  CancelAll();
  auto open = std::make_unique<Open>();
  open->Ticket = nextTicket_++;
  Open* raw = open.get();
  const HWND window = window_;
  const UINT message = doneMessage_;
  open->Thread = std::thread([raw, url, window, message] {
    if (raw->Wanted) raw->Channel = SONO_StreamCreateURL(url.c_str(), 0, 0, nullptr, nullptr);
    raw->Done = true;
    PostMessageW(window, message, raw->Ticket, 0);
  });
  opens_.push_back(std::move(open));
  return raw->Ticket;
}

void StationOpens::CancelAll() {
  for (auto& open : opens_) open->Wanted = false;
  CancelUnwanted();
}

void StationOpens::CancelUnwanted() {
  const bool running = std::any_of(opens_.begin(), opens_.end(), [](const auto& open) { return !open->Done; });
  if (running && !Opening()) SONO_StreamCancelURL();
}

StationOpens::Outcome StationOpens::Finish(std::uint32_t ticket) {
  const auto found =
      std::find_if(opens_.begin(), opens_.end(), [ticket](const auto& open) { return open->Ticket == ticket; });
  if (found == opens_.end() || !(*found)->Done) return {};
  (*found)->Thread.join();
  Outcome outcome{(*found)->Wanted.load(), (*found)->Channel.load()};
  opens_.erase(found);
  if (!outcome.Wanted && outcome.Channel) {
    SONO_StreamFree(outcome.Channel);
    outcome.Channel = 0;
  }
  // An unwanted open that began after the last cancel is still running.
  CancelUnwanted();
  return outcome;
}

bool StationOpens::Opening() const {
  return std::any_of(opens_.begin(), opens_.end(), [](const auto& open) { return open->Wanted && !open->Done; });
}

}  // namespace player
