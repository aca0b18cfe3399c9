#include "player/Shuffle.h"

#include <algorithm>
#include <chrono>

#include "base/Ascii.h"

namespace player {

namespace {

int IndexOf(const std::vector<std::string>& list, const std::string& path) {
  for (std::size_t i = 0; i < list.size(); ++i)
    if (sv::SameTextAscii(list[i], path)) return static_cast<int>(i);
  return -1;
}

constexpr int kMaxDraws = 101;

}  // namespace

int ShuffleChoose(std::vector<std::string>& history, const std::vector<std::string>& playlist, int currentIndex,
                  bool previous, const std::function<int(int)>& random) {
  const int count = static_cast<int>(playlist.size());
  if (previous && !history.empty()) {
    const int index = IndexOf(playlist, history.back());
    if (index >= 0) {
      std::rotate(history.begin(), history.end() - 1, history.end());
      return index;
    }
  }
  if (currentIndex >= 0 && currentIndex < count) history.push_back(playlist[currentIndex]);
  const auto limit = static_cast<std::size_t>(count * 3 / 4);
  if (history.size() > limit) history.erase(history.begin(), history.end() - static_cast<std::ptrdiff_t>(limit));
  int chosen = 0;
  for (int draw = 0; draw < kMaxDraws; ++draw) {
    chosen = std::clamp(random(count), 0, count - 1);
    if (IndexOf(history, playlist[chosen]) < 0) break;
  }
  return chosen;
}

std::uint64_t ClockSeed() {
  return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

RandomDraws::RandomDraws(std::uint64_t seed)
    : generator_(static_cast<std::mt19937::result_type>(seed ^ (seed >> 32))) {}

int RandomDraws::operator()(int count) { return std::uniform_int_distribution<int>(0, count - 1)(generator_); }

}  // namespace player
