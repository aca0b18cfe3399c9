#pragma once
// The choice of the next entry under shuffle, with the history of recently
// played paths that keeps a draw from repeating them and lets "previous" go
// back.
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace player {

// Index of the entry to make current. Previous takes the newest history path
// that is still in the playlist and moves it to the front of the history.
// Otherwise the current path joins the history, the history is cut to
// Trunc(0.75 * entries) from its oldest end, and up to 101 draws look for a
// path not in it (the last draw stands). `random(n)` gives 0..n-1.
// The playlist must not be empty. Paths compare without regard to ASCII case.
int ShuffleChoose(std::vector<std::string>& history, const std::vector<std::string>& playlist, int currentIndex,
                  bool previous, const std::function<int(int)>& random);

// The clock's count, as a seed.
std::uint64_t ClockSeed();

// The draws of one decision (one shuffle pick, one folder start): seeded
// once, each draw goes on along the same sequence. A generator seeded anew
// for every draw repeats its value whenever the clock has not moved between
// two draws, and the history would then never be escaped.
class RandomDraws {
 public:
  explicit RandomDraws(std::uint64_t seed = ClockSeed());
  // Uniform in 0..count-1 (count > 0).
  int operator()(int count);

 private:
  std::mt19937 generator_;
};

}  // namespace player
