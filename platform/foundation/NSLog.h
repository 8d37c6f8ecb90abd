// The system log: printf-style lines. By default each line goes to standard error; tests and the
// player may route lines elsewhere.
//
// Every line takes its place in one queue, so lines keep the order in which they were logged,
// whatever thread logged them. A thread that may block (the main thread, any ordinary thread)
// then writes the queue out up to and including its own line before NSLog returns, so its line
// is out when the call is done. A real-time thread (inside NSLogRealTimeScope) only queues its
// line, without a lock, an allocation or a system call; the logging thread writes it soon after,
// or the next ordinary NSLog call does. A queue full of real-time lines counts the lines it
// drops and says how many in a line of its own. Whatever is queued is written out when the
// process exits (returning from main or calling exit).
#pragma once

#include <functional>
#include <string>

void NSLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Replaces where log lines go (nullptr restores standard error). Returns the previous sink.
// Lines queued before the call are first written to the previous sink. A sink is called by one
// thread at a time, the logging thread or a thread that logs.
using NSLogSink = std::function<void(const std::string& line)>;
NSLogSink NSLogSetSink(NSLogSink sink);

// Writes out every line queued so far before returning. Not for real-time threads.
void NSLogFlush();

// While one lives, NSLog on the constructing thread only queues its line. For the audio
// thread's callbacks; scopes nest.
class NSLogRealTimeScope {
 public:
  NSLogRealTimeScope();
  ~NSLogRealTimeScope();
  NSLogRealTimeScope(const NSLogRealTimeScope&) = delete;
  NSLogRealTimeScope& operator=(const NSLogRealTimeScope&) = delete;

 private:
  bool wasRealTime_;
};
