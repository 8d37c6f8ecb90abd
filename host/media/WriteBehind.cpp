#include "host/media/WriteBehind.h"

#include <fcntl.h>

#include "host/media/BackgroundWork.h"

namespace host {

WriteBehind::WriteBehind(int fd) : fd_(fd), thread_([this] { loop(); }) {}

WriteBehind::~WriteBehind() {
  quit_.store(true, std::memory_order_seq_cst);
  doorbell_.ring();
  thread_.join();
}

void WriteBehind::wrote(int64_t bytes) {
  if (bytes - asked_ < kStepBytes) return;
  asked_ = bytes;
  wanted_.store(bytes, std::memory_order_seq_cst);
  doorbell_.ring();
}

void WriteBehind::loop() {
  markAsBackgroundWork();
  int64_t started = 0;
  for (;;) {
    doorbell_.wait([&] {
      return quit_.load(std::memory_order_seq_cst) ||
             wanted_.load(std::memory_order_seq_cst) > started;
    });
    if (quit_.load(std::memory_order_seq_cst)) return;
    const int64_t wanted = wanted_.load(std::memory_order_seq_cst);
    if (wanted <= started) continue;
    // Only a request to start: a file that cannot take it (a pipe, a file system without
    // write-back) simply goes on as before.
    sync_file_range(fd_, started, wanted - started, SYNC_FILE_RANGE_WRITE);
    started = wanted;
  }
}

}  // namespace host
