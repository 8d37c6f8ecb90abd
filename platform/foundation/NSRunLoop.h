// The main run loop: holds the scheduled timers and fires them when their time has come. Time is
// read from a clock the player may replace (the wall clock by default; a media clock offline).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "objc/NSObject.h"

class NSTimer;

class NSRunLoop : public NSObject {
 public:
  static NSRunLoop* mainRunLoop();
  using Clock = std::function<double()>;
  void setClock(Clock clock);   // nullptr restores the wall clock (monotonic seconds)
  double currentTime() const;
  void fireDueTimers();         // fires every timer due at or before currentTime(), in order of
                                // due time, equal times in the order scheduled
  std::optional<double> nextFireDate() const;

 private:
  friend class NSTimer;
  struct Entry {
    double due;
    uint64_t order;
    Ref<NSTimer> timer;
  };
  void schedule(NSTimer* timer, double due);
  void unschedule(NSTimer* timer);

  mutable std::mutex mutex_;
  Clock clock_;
  std::vector<Entry> timers_;
  uint64_t nextOrder_ = 0;
};
