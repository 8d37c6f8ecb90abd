#include "foundation/NSLog.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "foundation/NSLogQueue.h"

namespace {

// Initial-exec: the platform library is loaded with the program, and the audio thread must not
// go through the dynamic TLS resolver, which may allocate.
__attribute__((tls_model("initial-exec"))) thread_local bool realTimeThread = false;
// Set while this thread writes out the queue: a sink that logs only queues its line (the loop
// that called the sink writes it next), and never starts a second loop over the same lines.
__attribute__((tls_model("initial-exec"))) thread_local bool writingHere = false;

// How often the logging thread looks for real-time lines (they cannot wake it: that would be a
// system call). Ordinary threads write their own lines at once. After a line it looks again
// soon; while nothing comes it looks less and less often, so an idle player stays asleep. At the
// longest period, an audio thread logging every 256-frame block queues about 30 lines, an eighth
// of the queue.
constexpr auto kLoggingThreadPeriod = std::chrono::milliseconds(10);
constexpr auto kLoggingThreadIdlePeriod = std::chrono::milliseconds(160);

class Logger {
 public:
  Logger() {
    thread_ = std::thread([this] { run(); });
    threadRunning_ = true;
    std::atexit([] { logger().stopAtExit(); });
    pthread_atfork([] { logger().writer_.lock(); }, [] { logger().writer_.unlock(); },
                   [] {
                     // The child has no logging thread; its ordinary lines still go out at once.
                     logger().writer_.unlock();
                     logger().threadRunning_ = false;
                   });
  }

  static Logger& logger() {
    static Logger* instance = new Logger;  // never destroyed: lines may come during exit
    return *instance;
  }

  void log(const char* text, size_t length) {
    uint64_t ticket = 0;
    if (realTimeThread || writingHere) {
      if (!queue_.tryPush(text, length, !realTimeThread, ticket)) queue_.noteDropped();
      return;
    }
    while (!queue_.tryPush(text, length, true, ticket)) {
      // Full of real-time lines: make room by writing them out.
      std::lock_guard lock(writer_);
      if (!writeReady()) std::this_thread::yield();
    }
    std::lock_guard lock(writer_);
    writeThrough(ticket + 1);
  }

  NSLogSink setSink(NSLogSink sink) {
    std::lock_guard lock(writer_);
    if (!writingHere) writeThrough(queue_.ticketsGiven());
    NSLogSink previous = std::move(sink_);
    sink_ = std::move(sink);
    return previous;
  }

  void flush() {
    if (realTimeThread || writingHere) return;
    std::lock_guard lock(writer_);
    writeThrough(queue_.ticketsGiven());
  }

 private:
  // Runs while this thread holds writer_ and marks it as the one writing.
  class WritingScope {
   public:
    WritingScope() { writingHere = true; }
    ~WritingScope() { writingHere = false; }
  };

  void write(const char* text, size_t length) {
    if (sink_) {
      sink_(std::string(text, length));
    } else {
      // One call, so the line and its newline reach standard error in one piece.
      std::fprintf(stderr, "%.*s\n", static_cast<int>(length), text);
    }
  }

  void reportDropped(uint64_t count) {
    char text[96];
    const int length = std::snprintf(text, sizeof text, "NSLog: the log queue was full; %llu %s dropped",
                                      static_cast<unsigned long long>(count), count == 1 ? "line" : "lines");
    write(text, static_cast<size_t>(length));
  }

  bool writeOne() {
    return queue_.popOne([this](const NSLogQueue::Line& line) {
      if (line.droppedBefore != 0) reportDropped(line.droppedBefore);
      write(line.text, line.length);
    });
  }

  // writer_ held. Writes every published line in order, then any drops not yet reported;
  // answers whether it wrote anything.
  bool writeReady() {
    WritingScope scope;
    bool wrote = false;
    while (writeOne()) wrote = true;
    if (const uint64_t dropped = queue_.takeDropped()) {
      reportDropped(dropped);
      wrote = true;
    }
    return wrote;
  }

  // writer_ held. Writes lines until every ticket below `end` is out, waiting for writers that
  // have taken a place but not yet filled it (a few instructions away), then what else is ready.
  void writeThrough(uint64_t end) {
    {
      WritingScope scope;
      while (queue_.handedOut() < end) {
        if (!writeOne()) std::this_thread::yield();
      }
    }
    writeReady();
  }

  void run() {
    std::unique_lock wakeLock(wakeMutex_);
    auto period = kLoggingThreadPeriod;
    while (!stopping_) {
      wake_.wait_for(wakeLock, period, [this] { return stopping_; });
      wakeLock.unlock();
      if (queue_.oldestIsReady() || queue_.anyDropped()) {
        std::lock_guard lock(writer_);
        writeReady();
        period = kLoggingThreadPeriod;
      } else {
        period = std::min(period * 2, kLoggingThreadIdlePeriod);
      }
      wakeLock.lock();
    }
  }

  void stopAtExit() {
    if (threadRunning_ && std::this_thread::get_id() != thread_.get_id()) {
      {
        std::lock_guard lock(wakeMutex_);
        stopping_ = true;
      }
      wake_.notify_all();
      thread_.join();
      threadRunning_ = false;
    }
    flush();
  }

  NSLogQueue queue_;
  std::recursive_mutex writer_;  // one thread writes at a time; a sink may set a sink
  NSLogSink sink_;               // guarded by writer_
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  bool stopping_ = false;  // guarded by wakeMutex_
  std::thread thread_;
  bool threadRunning_ = false;
};

// Started with the library, so the logging thread is there before any audio thread logs.
[[maybe_unused]] const bool loggerStarted = (Logger::logger(), true);

}  // namespace

void NSLog(const char* format, ...) {
  // Short lines (all of the audio thread's) are formatted on the stack. A real-time thread never
  // allocates: a longer line is cut to what the queue holds in place.
  char small[NSLogQueue::kLineBytes + 1];
  std::vector<char> large;
  va_list args;
  va_start(args, format);
  va_list retry;
  va_copy(retry, args);
  const int length = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  const char* text = length < 0 ? "" : small;
  if (length >= static_cast<int>(sizeof small) && !realTimeThread) {
    large.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), format, retry);
    text = large.data();
  }
  va_end(retry);
  // Up to the first NUL, as the line has always been printed.
  Logger::logger().log(text, std::strlen(text));
}

NSLogSink NSLogSetSink(NSLogSink sink) { return Logger::logger().setSink(std::move(sink)); }

void NSLogFlush() { Logger::logger().flush(); }

NSLogRealTimeScope::NSLogRealTimeScope() : wasRealTime_(realTimeThread) { realTimeThread = true; }

NSLogRealTimeScope::~NSLogRealTimeScope() { realTimeThread = wasRealTime_; }
