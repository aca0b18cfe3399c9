#pragma once
// A sequence whose steps each run whatever the one before raised: the start
// and the close of the main window, which must always finish. The first
// failure is kept, to be reported once at the end.
#include <exception>

namespace player {

class Steps {
 public:
  template <class Work>
  void Run(const Work& work) noexcept {
    try {
      work();
    } catch (...) {
      if (!firstError_) firstError_ = std::current_exception();
    }
  }
  std::exception_ptr FirstError() const { return firstError_; }

 private:
  std::exception_ptr firstError_;
};

}  // namespace player
