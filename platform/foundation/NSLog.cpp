#include "foundation/NSLog.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

// Recursive, so a sink that itself logs does not deadlock; held while the line is written, so
// lines from several threads never interleave.
std::recursive_mutex& sinkMutex() {
  static std::recursive_mutex m;
  return m;
}

NSLogSink& currentSink() {
  static NSLogSink sink;
  return sink;
}

}  // namespace

void NSLog(const char* format, ...) {
  // Short lines (all of the engine's) are formatted on the stack; only long ones allocate.
  char small[256];
  std::vector<char> large;
  va_list args;
  va_start(args, format);
  va_list retry;
  va_copy(retry, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  const char* text = length < 0 ? "" : small;
  if (length >= static_cast<int>(sizeof small)) {
    large.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, retry);
    text = large.data();
  }
  va_end(retry);

  std::lock_guard lock(sinkMutex());
  if (currentSink()) {
    currentSink()(std::string(text));
  } else {
    std::fprintf(stderr, "%s\n", text);
  }
}

NSLogSink NSLogSetSink(NSLogSink sink) {
  std::lock_guard lock(sinkMutex());
  NSLogSink previous = std::move(currentSink());
  currentSink() = std::move(sink);
  return previous;
}
