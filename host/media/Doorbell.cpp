#include "host/media/Doorbell.h"

namespace host {

void Doorbell::ring() {
  if (!sleeping_.load(std::memory_order_seq_cst)) return;
  {
    std::lock_guard lock(mutex_);
    rung_ = true;
  }
  wake_.notify_one();
}

}  // namespace host
