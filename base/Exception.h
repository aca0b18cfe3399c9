#pragma once
#include <stdexcept>
#include <string>

namespace sv {

// Root of the errors our code raises; Message() is what the error box shows.
class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

// Raised to leave an operation silently: the error box does not show it.
class Abort : public Exception {
 public:
  Abort() : Exception("Operation aborted") {}
};

}  // namespace sv
