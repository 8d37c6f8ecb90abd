#include "foundation/NSTimer.h"

#include <algorithm>

#include "foundation/NSRunLoop.h"

namespace {
// The shortest interval a timer accepts, as on the platform: 0.1 ms.
constexpr double kMinimumInterval = 0.0001;
}  // namespace

Ref<NSTimer> NSTimer::schedule(double seconds, bool repeats, const std::function<void(NSTimer&)>& setUp) {
  Ref<NSTimer> timer = make<NSTimer>();
  NSRunLoop* loop = NSRunLoop::mainRunLoop();
  timer->interval_ = std::max(seconds, kMinimumInterval);
  timer->fireDate_ = loop->currentTime() + timer->interval_;
  timer->repeats_ = repeats;
  timer->valid_ = true;
  setUp(*timer);
  loop->schedule(timer.get(), timer->fireDate_);
  return timer;
}

Ref<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double seconds, id target, SEL selector,
                                                     id userInfo, bool repeats) {
  return schedule(seconds, repeats, [&](NSTimer& timer) {
    timer.target_ = Ref<NSObject>(target);
    timer.selector_ = selector;
    timer.userInfo_ = Ref<NSObject>(userInfo);
  });
}

Ref<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double seconds, bool repeats,
                                                     std::function<void(NSTimer*)> block) {
  return schedule(seconds, repeats, [&](NSTimer& timer) { timer.block_ = std::move(block); });
}

void NSTimer::invalidate() {
  if (!valid_) return;
  valid_ = false;
  Ref<NSTimer> keep(this);  // the run loop's reference may be the last one
  NSRunLoop::mainRunLoop()->unschedule(this);
  target_ = nullptr;
  userInfo_ = nullptr;
  block_ = nullptr;
}

bool NSTimer::isValid() const { return valid_; }
double NSTimer::fireDate() const { return fireDate_; }

void NSTimer::fire() {
  if (!valid_) return;
  Ref<NSTimer> keep(this);
  Ref<NSObject> target = target_;
  std::function<void(NSTimer*)> block = block_;
  // A one-shot timer is done before its message runs, so the message may schedule anew.
  if (!repeats_) {
    valid_ = false;
    target_ = nullptr;
    block_ = nullptr;
  }
  if (block) block(this);
  else objc_sendAction(target.get(), selector_, this, nullptr);
  if (!repeats_) userInfo_ = nullptr;
}
