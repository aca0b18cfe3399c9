#pragma once
// Arguments (hand-overs, dropped names) that arrive while the start-up, a
// long list operation or a playback-road call runs: those let messages
// through, and an argument treated then would change the lists under that
// work. They wait, and are treated later in their order of arrival.
#include <cstddef>
#include <deque>
#include <optional>
#include <string>

namespace player {

struct WaitingArgument {
  std::string Text;
  bool Play = false;
  // A dropped name: it plays when no entry is current at the moment it is
  // treated, so that of names dropped during work the first one plays.
  bool PlayIfNoneCurrent = false;
  bool PlaysWhen(bool noneCurrent) const { return PlayIfNoneCurrent ? noneCurrent : Play; }
};

class ArgumentQueue {
 public:
  // Keeps the argument and returns true when it must wait: while `busy`,
  // and also while earlier arguments still wait, so that none overtakes
  // them in the moment between the end of the work and their treatment.
  bool Hold(const std::string& text, bool play, bool busy);
  bool Hold(const WaitingArgument& argument, bool busy);
  // The oldest waiting argument, taken out; none while `busy`.
  std::optional<WaitingArgument> Next(bool busy);
  bool Empty() const { return waiting_.empty(); }
  std::size_t Size() const { return waiting_.size(); }
  void Clear() { waiting_.clear(); }

 private:
  std::deque<WaitingArgument> waiting_;
};

}  // namespace player
