#pragma once
// Polls a condition until it holds: playback threads report only through
// state the tests can watch. The limit only stops a hung test; it is far
// beyond any wait that a working program needs, however loaded the machine.
#include <chrono>
#include <thread>

namespace sono::test {

template <typename Predicate>
bool WaitFor(Predicate done, std::chrono::milliseconds limit = std::chrono::milliseconds(60000)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace sono::test
