#include "windows/debug.h"

#include <windows.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>

#include "platform/assert.h"

namespace {
std::atomic<TraceSink> traceSink{nullptr};

void Write(const char* text) {
  if (TraceSink sink = traceSink.load())
    sink(text);
  else
    OutputDebugStringA(text);
}
}  // namespace

void SetTraceSink(TraceSink sink) { traceSink.store(sink); }

void TRACE(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  if (length < 0 || length >= static_cast<int>(sizeof buffer)) {
    // Written before the report, which may end the program.
    Write("TRACE buffer overflow\n");
    KORVANE_ASSERT(false, "TRACE buffer overflow");
    return;
  }
  Write(buffer);
}
