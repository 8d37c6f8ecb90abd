// Lets a pipeline thread that has nothing to do sleep until another thread has made work for it.
// Ringing is cheap while the waiter is awake (one atomic load, no system call), so a producer or
// consumer may ring after every block; only a thread that really sleeps costs a wake-up. Never
// used by a real-time audio thread: it neither waits nor rings.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace host {

class Doorbell {
 public:
  // Wakes the waiter if it sleeps. Call after publishing the change (with a sequentially
  // consistent store) that the waiter's readiness test reads.
  void ring();

  // Sleeps until ready() holds or ring() is called, or `timeout` has passed. ready() is tested
  // after the waiter has announced itself, so a ring() that follows a change it would see can
  // never be lost. May return early: callers test their condition again.
  template <class Ready>
  void wait(Ready ready, std::chrono::nanoseconds timeout = std::chrono::nanoseconds::max()) {
    sleeping_.store(true, std::memory_order_seq_cst);
    if (!ready()) {
      std::unique_lock lock(mutex_);
      if (timeout == std::chrono::nanoseconds::max()) {
        wake_.wait(lock, [&] { return rung_ || ready(); });
      } else {
        wake_.wait_for(lock, timeout, [&] { return rung_ || ready(); });
      }
      rung_ = false;
    }
    sleeping_.store(false, std::memory_order_relaxed);
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool rung_ = false;  // guarded by mutex_
  std::atomic<bool> sleeping_{false};
};

}  // namespace host
