#include "platform/log.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace platform {
namespace {

std::mutex logLock;  // keeps lines whole when threads log at once
LogSink currentSink = nullptr;
void* currentContext = nullptr;
LogSink currentCopy = nullptr;
void* currentCopyContext = nullptr;

}  // namespace

void Log(const char* format, ...) {
  char small[512];
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  std::string large;
  const char* text = small;
  if (length >= static_cast<int>(sizeof small)) {
    large.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, again);
    large.resize(static_cast<std::size_t>(length));
    text = large.c_str();
  }
  va_end(again);
  if (length < 0) return;

  std::lock_guard<std::mutex> hold(logLock);
  if (currentSink) {
    currentSink(text, currentContext);
  } else {
    std::fputs(text, stdout);
    std::fflush(stdout);
  }
  if (currentCopy) currentCopy(text, currentCopyContext);
}

void SetLogSink(LogSink sink, void* context) {
  std::lock_guard<std::mutex> hold(logLock);
  currentSink = sink;
  currentContext = context;
}

void SetLogCopy(LogSink copy, void* context) {
  std::lock_guard<std::mutex> hold(logLock);
  currentCopy = copy;
  currentCopyContext = context;
}

struct LogCapture::State {
  mutable std::mutex lock;
  std::vector<std::string> lines;
};

LogCapture::LogCapture() : state_(new State) { SetLogSink(&LogCapture::Receive, state_); }

LogCapture::~LogCapture() {
  SetLogSink(nullptr, nullptr);
  delete state_;
}

void LogCapture::Receive(const char* text, void* context) {
  State* state = static_cast<State*>(context);
  std::lock_guard<std::mutex> hold(state->lock);
  state->lines.emplace_back(text);
}

std::vector<std::string> LogCapture::Lines() const {
  std::lock_guard<std::mutex> hold(state_->lock);
  return state_->lines;
}

int LogCapture::Count(const std::string& text) const {
  std::lock_guard<std::mutex> hold(state_->lock);
  return static_cast<int>(std::count(state_->lines.begin(), state_->lines.end(), text));
}

void LogCapture::Clear() {
  std::lock_guard<std::mutex> hold(state_->lock);
  state_->lines.clear();
}

}  // namespace platform
