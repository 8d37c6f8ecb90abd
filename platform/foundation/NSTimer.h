// A timer on the main run loop that sends a message to its target when it fires (as an action:
// the target's method takes nothing, or the timer), or runs a block.
#pragma once

#include <functional>

#include "objc/NSObject.h"
#include "objc/runtime.h"

class NSTimer : public NSObject {
 public:
  // Due at mainRunLoop()->currentTime() + seconds (at least 0.1 ms ahead). The timer retains its
  // target and user information until it is invalidated; a one-shot timer invalidates itself
  // when it fires.
  static Ref<NSTimer> scheduledTimerWithTimeInterval(double seconds, id target, SEL selector,
                                                     id userInfo, bool repeats);
  // The same, running a block instead of sending a message.
  static Ref<NSTimer> scheduledTimerWithTimeInterval(double seconds, bool repeats,
                                                     std::function<void(NSTimer*)> block);
  void invalidate();
  bool isValid() const;
  double fireDate() const;

  double timeInterval() const { return interval_; }
  id userInfo() const { return userInfo_.get(); }

 private:
  friend class NSRunLoop;
  // Makes a timer due `seconds` from now, lets `setUp` give it what it does, and schedules it.
  static Ref<NSTimer> schedule(double seconds, bool repeats, const std::function<void(NSTimer&)>& setUp);
  void fire();

  double interval_ = 0;
  double fireDate_ = 0;
  bool repeats_ = false;
  bool valid_ = false;
  Ref<NSObject> target_;
  SEL selector_ = nullptr;
  Ref<NSObject> userInfo_;
  std::function<void(NSTimer*)> block_;
};
