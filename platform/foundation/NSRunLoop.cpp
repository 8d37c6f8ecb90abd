#include "foundation/NSRunLoop.h"

#include <algorithm>
#include <chrono>

#include "foundation/NSTimer.h"
#include "objc/runtime.h"

namespace {
double wallClock() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool earlier(double dueA, uint64_t orderA, double dueB, uint64_t orderB) {
  return dueA < dueB || (dueA == dueB && orderA < orderB);
}
}  // namespace

NSRunLoop* NSRunLoop::mainRunLoop() {
  // Lives as long as the process: timers may still be scheduled while it exits.
  static NSRunLoop* loop = new NSRunLoop;
  return loop;
}

void NSRunLoop::setClock(Clock clock) {
  std::lock_guard lock(mutex_);
  clock_ = std::move(clock);
}

double NSRunLoop::currentTime() const {
  Clock clock;
  {
    std::lock_guard lock(mutex_);
    clock = clock_;
  }
  return clock ? clock() : wallClock();
}

void NSRunLoop::schedule(NSTimer* timer, double due) {
  std::lock_guard lock(mutex_);
  timers_.push_back(Entry{due, nextOrder_++, Ref<NSTimer>(timer)});
}

void NSRunLoop::unschedule(NSTimer* timer) {
  Ref<NSTimer> keep;  // released after the lock, since releasing may run arbitrary dealloc code
  std::lock_guard lock(mutex_);
  auto it = std::find_if(timers_.begin(), timers_.end(),
                         [timer](const Entry& e) { return e.timer.get() == timer; });
  if (it == timers_.end()) return;
  keep = std::move(it->timer);
  timers_.erase(it);
}

void NSRunLoop::fireDueTimers() {
  const double now = currentTime();
  for (;;) {
    Entry entry;
    {
      std::lock_guard lock(mutex_);
      auto next = timers_.end();
      for (auto it = timers_.begin(); it != timers_.end(); ++it)
        if (it->due <= now && (next == timers_.end() || earlier(it->due, it->order, next->due, next->order)))
          next = it;
      if (next == timers_.end()) break;
      entry = std::move(*next);
      timers_.erase(next);
    }
    entry.timer->fire();
    // A repeating timer that is still valid comes back at its next due time after `now`.
    if (entry.timer->isValid()) {
      const double interval = entry.timer->timeInterval();
      double due = entry.due + interval;
      if (due <= now) due += interval * (static_cast<uint64_t>((now - due) / interval) + 1);
      entry.timer->fireDate_ = due;
      schedule(entry.timer.get(), due);
    }
  }
  objc_autoreleasePoolDrain();  // the end of the run loop's turn
}

std::optional<double> NSRunLoop::nextFireDate() const {
  std::lock_guard lock(mutex_);
  std::optional<double> next;
  for (const Entry& e : timers_)
    if (!next || e.due < *next) next = e.due;
  return next;
}
