// The diagnostic log: printf-style lines written unchanged to standard output
// and flushed. A test installs a sink to read them instead.
#pragma once

#include <string>
#include <vector>

namespace platform {

void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Receives each logged text exactly as formatted (no line break is added).
using LogSink = void (*)(const char* text, void* context);
// Null restores standard output.
void SetLogSink(LogSink sink, void* context);

// A second receiver of every text, beside standard output or the sink: the
// support log of a program without a console. It is called with the log's
// lock held, so texts reach it one at a time and in order. Null removes it.
void SetLogCopy(LogSink copy, void* context);

// Collects every logged text while it exists (tests). Thread-safe.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  std::vector<std::string> Lines() const;
  // How many logged texts equal `text`.
  int Count(const std::string& text) const;
  void Clear();

 private:
  static void Receive(const char* text, void* context);
  struct State;
  State* state_;
};

}  // namespace platform
