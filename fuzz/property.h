// A property that does not hold stops the fuzz target the way a crash does, so that libFuzzer
// keeps the input that broke it.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property violated: %s\n", property);
  std::abort();
}
