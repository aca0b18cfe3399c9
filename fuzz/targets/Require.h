#pragma once
// The fuzz targets' invariant check: it names the broken invariant before the
// abort, so the crash report says which.
#include <cstdio>
#include <cstdlib>

namespace sv::fuzz {

inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

}  // namespace sv::fuzz

#define REQUIRE(condition) ::sv::fuzz::Require((condition), #condition)
