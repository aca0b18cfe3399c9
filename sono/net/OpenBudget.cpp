#include "sono/net/OpenBudget.h"

#include <algorithm>

namespace sono::net {

int OpenBudget::WaitMs(int timeoutMs) const {
  if (finished_) return timeoutMs;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
  // At least a millisecond: a wait of 0 would not wait at all but still
  // count as one that did.
  return static_cast<int>(std::max<int64_t>(1, std::min<int64_t>(left, timeoutMs)));
}

bool OpenBudget::TimeLeft() const { return finished_ || Clock::now() < deadline_; }

bool OpenBudget::Take(size_t bytes) {
  if (finished_) return true;
  return bytesLeft_.fetch_sub(static_cast<int64_t>(bytes)) - static_cast<int64_t>(bytes) >= 0;
}

bool OpenBudget::BytesLeft() const { return finished_ || bytesLeft_.load() >= 0; }

}  // namespace sono::net
