// Asks the kernel to start writing a file out while more of it is still being written, from a
// thread of its own: starting write-back waits whenever the disk's queue is throttled, and the
// thread that writes the file must not wait with it.
//
// Without this the whole file is still in memory when it is closed, and the file system writes
// it out inside the close, or inside the rename that replaces an older file, all at the end.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "host/media/Doorbell.h"

namespace host {

class WriteBehind {
 public:
  explicit WriteBehind(int fd);  // the descriptor stays the caller's; it must outlive this
  ~WriteBehind();                // stops the thread; what was asked for may still be written
  WriteBehind(const WriteBehind&) = delete;
  WriteBehind& operator=(const WriteBehind&) = delete;

  // The writing thread has written the first `bytes` of the file: once another kStepBytes are
  // there since the last step, the kernel is asked to start writing them out. Cheap, never waits.
  void wrote(int64_t bytes);

  static constexpr int64_t kStepBytes = int64_t(8) << 20;

 private:
  void loop();

  int fd_;
  int64_t asked_ = 0;  // the writing thread's: what it last asked for
  std::atomic<int64_t> wanted_{0};
  std::atomic<bool> quit_{false};
  Doorbell doorbell_;
  std::thread thread_;
};

}  // namespace host
