#include "foundation/NSLog.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

// Recursive, so a sink that itself logs does not deadlock; held while the sink runs, so lines
// from several threads never interleave.
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
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string line;
  if (length > 0) {
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    line.assign(buffer.data(), static_cast<size_t>(length));
  }
  va_end(args);

  std::lock_guard lock(sinkMutex());
  if (currentSink()) {
    currentSink()(line);
  } else {
    std::fprintf(stderr, "%s\n", line.c_str());
  }
}

NSLogSink NSLogSetSink(NSLogSink sink) {
  std::lock_guard lock(sinkMutex());
  NSLogSink previous = std::move(currentSink());
  currentSink() = std::move(sink);
  return previous;
}
