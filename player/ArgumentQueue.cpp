#include "player/ArgumentQueue.h"

namespace player {

bool ArgumentQueue::Hold(const std::string& text, bool play, bool busy) {
  return Hold(WaitingArgument{text, play}, busy);
}

bool ArgumentQueue::Hold(const WaitingArgument& argument, bool busy) {
  if (!busy && waiting_.empty()) return false;
  waiting_.push_back(argument);
  return true;
}

std::optional<WaitingArgument> ArgumentQueue::Next(bool busy) {
  if (busy || waiting_.empty()) return std::nullopt;
  WaitingArgument next = std::move(waiting_.front());
  waiting_.pop_front();
  return next;
}

}  // namespace player
