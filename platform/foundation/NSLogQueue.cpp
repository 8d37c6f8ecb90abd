#include "foundation/NSLogQueue.h"

#include <algorithm>
#include <cstring>
#include <new>

NSLogQueue::NSLogQueue() {
  // Place p may be taken when its slot's sequence equals p; it is published as p + 1.
  for (size_t i = 0; i < kCapacity; ++i) slots_[i].sequence.store(i, std::memory_order_relaxed);
}

NSLogQueue::~NSLogQueue() {
  for (Slot& slot : slots_) delete[] slot.heapText;
}

bool NSLogQueue::tryPush(const char* text, size_t length, bool mayAllocate, uint64_t& ticket) {
  // A long line's heap copy is made before a place is taken, so that the place is published
  // quickly: the reader waits for places in order.
  char* heapText = nullptr;
  if (length > kLineBytes && mayAllocate) {
    heapText = new (std::nothrow) char[length];
    if (heapText != nullptr) std::memcpy(heapText, text, length);
  }
  uint64_t position = tail_.load(std::memory_order_relaxed);
  Slot* slot;
  for (;;) {
    slot = &slots_[position % kCapacity];
    const uint64_t sequence = slot->sequence.load(std::memory_order_acquire);
    if (sequence == position) {
      if (tail_.compare_exchange_weak(position, position + 1, std::memory_order_relaxed)) break;
    } else if (sequence < position) {  // the place still holds a line from one round ago: full
      delete[] heapText;
      return false;
    } else {
      position = tail_.load(std::memory_order_relaxed);
    }
  }
  slot->heapText = heapText;
  slot->length = heapText != nullptr ? length : std::min(length, kLineBytes);
  if (heapText == nullptr) std::memcpy(slot->text, text, slot->length);
  slot->droppedBefore = takeDropped();
  slot->sequence.store(position + 1, std::memory_order_release);
  ticket = position;
  return true;
}

bool NSLogQueue::oldestIsReady() const {
  const uint64_t position = head_.load(std::memory_order_relaxed);
  return slots_[position % kCapacity].sequence.load(std::memory_order_acquire) == position + 1;
}

void NSLogQueue::release(Slot& slot, uint64_t position) {
  delete[] slot.heapText;
  slot.heapText = nullptr;
  head_.store(position + 1, std::memory_order_release);
  // Free for the writer that takes this place one round later.
  slot.sequence.store(position + kCapacity, std::memory_order_release);
}
