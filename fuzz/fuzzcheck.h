// Invariant checks of the fuzz targets. A broken invariant is a finding, as a
// crash is: it names the expression and stops the process at once, so both
// libFuzzer and the corpus replay report it with the input that caused it.
#pragma once

#include <cstdio>

#define FUZZ_CHECK(expression)                                                        \
  do {                                                                                \
    if (!(expression)) {                                                              \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__,      \
                   #expression);                                                      \
      std::fflush(stderr);                                                            \
      __builtin_trap();                                                               \
    }                                                                                 \
  } while (0)

// The product's log lines cost more than a fuzz run and say nothing there; set
// KORVANE_FUZZ_LOG to see them while checking what a seed reaches.
#include <cstdlib>

#include "platform/log.h"

inline void QuietLog() {
  static const bool quiet = std::getenv("KORVANE_FUZZ_LOG") == nullptr;
  if (quiet) platform::SetLogSink([](const char*, void*) {}, nullptr);
}
